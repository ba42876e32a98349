#include "WorkbookSheetAdder.h"

#include "OutputFile.h"
#include "SheetPartWriter.h"
#include "SourceRows.h"
#include "WorkbookArchive.h"
#include "WriteFailure.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QXmlStreamReader>
#include <cerrno>

namespace {

const QString ContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString PackageRelationshipsPart = QStringLiteral("_rels/.rels");
const QString RelationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString WorksheetType = RelationshipsNamespace + QStringLiteral("/worksheet");
const QString WorksheetContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");

// "xl/workbook.xml" + "worksheets/sheet1.xml" → "xl/worksheets/sheet1.xml"; a target
// starting with "/" is from the package root.
QString resolvePart(const QString& fromPart, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    const int slash = fromPart.lastIndexOf(QLatin1Char('/'));
    QStringList parts = slash < 0 ? QStringList() : fromPart.left(slash).split(QLatin1Char('/'));
    for (const QString& piece : target.split(QLatin1Char('/'))) {
        if (piece == QLatin1String(".."))
            parts.removeLast();
        else if (piece != QLatin1String("."))
            parts << piece;
    }
    return parts.join(QLatin1Char('/'));
}

QString relationshipsPartOf(const QString& part)
{
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) + QStringLiteral(".rels");
}

// The target of the package's officeDocument relationship: where the workbook part is.
QString workbookPartOf(const QByteArray& packageRelationships)
{
    QXmlStreamReader xml(packageRelationships);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")
            && xml.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument")))
            return resolvePart(QString(), xml.attributes().value(QLatin1String("Target")).toString());
    }
    return QStringLiteral("xl/workbook.xml");
}

// Inserts `fragment` just before the end tag of the first element named `localName`.
QByteArray insertBeforeEndOf(const QByteArray& document, const QString& localName, const QString& fragment,
                             const QString& path)
{
    const QString text = QString::fromUtf8(document);
    QXmlStreamReader xml(text);
    int depth = -1;
    int level = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++level;
            if (depth < 0 && xml.name() == localName)
                depth = level;
        } else if (xml.isEndElement()) {
            if (level == depth) {
                const int end = int(xml.characterOffset());
                const int start = text.lastIndexOf(QLatin1String("</"), end - 1);
                // A self-closing element has no end tag to insert before.
                if (start < 0 || !text.mid(start, end - start).contains(localName))
                    break;
                return (text.left(start) + fragment + text.mid(start)).toUtf8();
            }
            --level;
        }
    }
    throw DbError(notWorkbookMessage(path));
}

struct WorkbookSheets {
    QStringList names;
    int maxSheetId = 0;
    QString relationshipsPrefix;   // the prefix the workbook binds to the relationships namespace
};

WorkbookSheets readSheets(const QByteArray& workbook, const QString& path)
{
    WorkbookSheets sheets;
    QXmlStreamReader xml(workbook);
    bool root = true;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (root) {
            for (const QXmlStreamNamespaceDeclaration& ns : xml.namespaceDeclarations())
                if (ns.namespaceUri() == RelationshipsNamespace && !ns.prefix().isEmpty())
                    sheets.relationshipsPrefix = ns.prefix().toString();
            root = false;
        }
        if (xml.name() == QLatin1String("sheet")) {
            sheets.names << xml.attributes().value(QLatin1String("name")).toString();
            sheets.maxSheetId = std::max(sheets.maxSheetId, xml.attributes().value(QLatin1String("sheetId")).toInt());
        }
    }
    if (xml.hasError() || sheets.names.isEmpty())
        throw DbError(notWorkbookMessage(path));
    return sheets;
}

QSet<QString> relationshipIds(const QByteArray& relationships)
{
    QSet<QString> ids;
    QXmlStreamReader xml(relationships);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship"))
            ids.insert(xml.attributes().value(QLatin1String("Id")).toString());
    }
    return ids;
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// Copies the workbook byte for byte, so the archive edit never touches the original.
void copyFile(const QString& from, const QString& to)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取工作簿“%1”。").arg(from));
    errno = 0;
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(WriteFailure::describe(errno, from));
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        errno = 0;
        if (block.isEmpty() || target.write(block) != block.size() || !target.flush())
            throw DbError(WriteFailure::describe(errno != 0 ? errno : EIO, from));
    }
}

} // namespace

WorkbookSheetAdder::WorkbookSheetAdder(const QString& workbookPath)
    : workbookPath_(workbookPath)
{
    WorkbookArchive archive(workbookPath_, WorkbookArchive::Mode::Read);
    workbookPart_ = archive.contains(PackageRelationshipsPart)
        ? workbookPartOf(archive.read(PackageRelationshipsPart))
        : QStringLiteral("xl/workbook.xml");
    relationshipsPart_ = relationshipsPartOf(workbookPart_);
    if (!archive.contains(ContentTypesPart) || !archive.contains(workbookPart_) || !archive.contains(relationshipsPart_))
        throw DbError(notWorkbookMessage(workbookPath_));
    sheetNames_ = readSheets(archive.read(workbookPart_), workbookPath_).names;
}

int WorkbookSheetAdder::addSheet(const OutputFile& output, const QString& sheetName, SourceRows& rows,
                                 const std::function<bool(int)>& progress)
{
    SheetPartWriter sheet(rows, SheetPartWriter::Dates::AsText, progress);
    const QString outputPath = output.temporaryPath();
    copyFile(workbookPath_, outputPath);
    WorkbookArchive archive(outputPath, WorkbookArchive::Mode::Edit);
    const QByteArray contentTypes = archive.read(ContentTypesPart);
    const QByteArray workbook = archive.read(workbookPart_);
    const QByteArray relationships = archive.read(relationshipsPart_);
    const WorkbookSheets sheets = readSheets(workbook, workbookPath_);

    // A part name and a relationship id nobody uses yet.
    const QString workbookFolder = workbookPart_.left(workbookPart_.lastIndexOf(QLatin1Char('/')) + 1);
    int number = int(sheets.names.size()) + 1;
    while (archive.contains(workbookFolder + QStringLiteral("worksheets/sheet%1.xml").arg(number)))
        ++number;
    const QString target = QStringLiteral("worksheets/sheet%1.xml").arg(number);
    const QSet<QString> ids = relationshipIds(relationships);
    int idNumber = int(ids.size()) + 1;
    while (ids.contains(QStringLiteral("rId%1").arg(idNumber)))
        ++idNumber;
    const QString id = QStringLiteral("rId%1").arg(idNumber);

    QString prefix = sheets.relationshipsPrefix;
    QString namespaceDeclaration;
    if (prefix.isEmpty()) {
        prefix = QStringLiteral("r");
        namespaceDeclaration = QStringLiteral(" xmlns:r=\"%1\"").arg(RelationshipsNamespace);
    }
    const QByteArray newWorkbook = insertBeforeEndOf(
        workbook, QStringLiteral("sheets"),
        QStringLiteral("<sheet name=\"%1\" sheetId=\"%2\" %3:id=\"%4\"%5/>")
            .arg(escaped(sheetName))
            .arg(sheets.maxSheetId + 1)
            .arg(prefix, id, namespaceDeclaration),
        workbookPath_);
    const QByteArray newRelationships = insertBeforeEndOf(
        relationships, QStringLiteral("Relationships"),
        QStringLiteral("<Relationship Id=\"%1\" Type=\"%2\" Target=\"%3\"/>").arg(id, WorksheetType, target),
        workbookPath_);
    const QByteArray newContentTypes = insertBeforeEndOf(
        contentTypes, QStringLiteral("Types"),
        QStringLiteral("<Override PartName=\"/%1\" ContentType=\"%2\"/>").arg(workbookFolder + target, WorksheetContentType),
        workbookPath_);

    archive.replace(ContentTypesPart, newContentTypes);
    archive.replace(workbookPart_, newWorkbook);
    archive.replace(relationshipsPart_, newRelationships);
    archive.addGenerated(workbookFolder + target, sheet);
    archive.commit();
    WorkbookArchive::verify(outputPath, {{workbookFolder + target, sheet.size()}});
    return sheet.rowsWritten();
}
