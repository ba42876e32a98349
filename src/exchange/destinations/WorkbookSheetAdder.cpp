#include "WorkbookSheetAdder.h"

#include "SourceRows.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <QXmlStreamReader>
#include <zip.h>

namespace {

const QString ContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString PackageRelationshipsPart = QStringLiteral("_rels/.rels");
const QString RelationshipsNamespace =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString WorksheetType = RelationshipsNamespace + QStringLiteral("/worksheet");
const QString WorksheetContentType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
const QString MainNamespace = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
constexpr int LastRow = 1048576;

QString notWorkbook(const QString& path)
{
    return QStringLiteral("“%1”不是 Excel 工作簿（.xlsx）。").arg(path);
}

// An open archive, closed (discarding changes) unless written with commit().
class Archive {
public:
    Archive(const QString& path, int flags)
        : path_(path)
    {
        int error = 0;
        archive_ = zip_open(QFile::encodeName(path).constData(), flags, &error);
        if (!archive_)
            throw DbError(notWorkbook(path));
    }
    ~Archive()
    {
        if (archive_)
            zip_discard(archive_);
    }
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    zip_t* get() const { return archive_; }

    bool contains(const QString& name) const
    {
        return zip_name_locate(archive_, name.toUtf8().constData(), 0) >= 0;
    }

    QByteArray read(const QString& name) const
    {
        zip_stat_t stat;
        zip_stat_init(&stat);
        const QByteArray entry = name.toUtf8();
        if (zip_stat(archive_, entry.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
            throw DbError(notWorkbook(path_));
        zip_file_t* file = zip_fopen(archive_, entry.constData(), 0);
        if (!file)
            throw DbError(notWorkbook(path_));
        QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
        const zip_int64_t got = zip_fread(file, data.data(), stat.size);
        zip_fclose(file);
        if (got != zip_int64_t(stat.size))
            throw DbError(notWorkbook(path_));
        return data;
    }

    void replace(const QString& name, const QByteArray& data)
    {
        zip_source_t* source = zip_source_buffer(archive_, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t index = zip_name_locate(archive_, name.toUtf8().constData(), 0);
        if (!source || index < 0 || zip_file_replace(archive_, zip_uint64_t(index), source, 0) != 0) {
            zip_source_free(source);
            throw DbError(QStringLiteral("无法更新工作簿“%1”。").arg(path_));
        }
    }

    void addFile(const QString& name, const QString& filePath)
    {
        zip_source_t* source = zip_source_file(archive_, QFile::encodeName(filePath).constData(), 0, -1);
        const zip_int64_t index = source ? zip_file_add(archive_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            throw DbError(QStringLiteral("无法更新工作簿“%1”。").arg(path_));
        }
        // A large sheet compresses several times faster at the lowest level, and hardly larger.
        zip_set_file_compression(archive_, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }

    void commit()
    {
        if (zip_close(archive_) != 0)
            throw DbError(QStringLiteral("无法写入工作簿“%1”：%2").arg(path_, QString::fromUtf8(zip_strerror(archive_))));
        archive_ = nullptr;
    }

private:
    QString path_;
    zip_t* archive_ = nullptr;
};

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
    throw DbError(notWorkbook(path));
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
        throw DbError(notWorkbook(path));
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

QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(char('A' + (n - 1) % 26));
    return letters;
}

// A cell text as XML character data: the markup characters escaped, and the control
// characters XML 1.0 has no place for left out.
void appendXmlText(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    for (char c : utf8) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default:
            if (uchar(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
                out += c;
        }
    }
}

// The rows of the new sheet, written as plain bytes (a sheet of 100,000 rows is written
// in about a second). Every cell carries its reference, as readers of workbooks expect.
class SheetPartWriter {
public:
    SheetPartWriter(QFile& file, int columns)
        : file_(file)
    {
        for (int c = 0; c < columns; ++c)
            columns_ << columnLetters(c);
        buffer_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                  "<worksheet xmlns=\"" + MainNamespace.toUtf8() + "\" xmlns:r=\"" + RelationshipsNamespace.toUtf8()
            + "\"><sheetData>";
    }

    void row(int number, const QList<QVariant>& values)
    {
        const QByteArray rowNumber = QByteArray::number(number);
        buffer_ += "<row r=\"" + rowNumber + "\">";
        for (int c = 0; c < values.size(); ++c) {
            const QVariant& value = values[c];
            if (!value.isValid() || value.isNull()
                || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
                continue;
            buffer_ += "<c r=\"" + columns_.at(c) + rowNumber + '"';
            cell(value);
        }
        buffer_ += "</row>";
        if (buffer_.size() > (1 << 20))
            flush();
    }

    void finish()
    {
        buffer_ += "</sheetData></worksheet>";
        flush();
        if (!file_.flush())
            throw DbError(QStringLiteral("无法写入临时文件“%1”。").arg(file_.fileName()));
    }

private:
    void cell(const QVariant& value)
    {
        switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            buffer_ += "><v>" + QByteArray::number(value.toLongLong()) + "</v></c>";
            return;
        case QMetaType::Double:
            buffer_ += "><v>" + QByteArray::number(value.toDouble(), 'g', 17) + "</v></c>";
            return;
        case QMetaType::QDate:
            text(value.toDate().toString(Qt::ISODate));
            return;
        case QMetaType::QDateTime:
            text(value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
            return;
        default:
            text(value.toString());
            return;
        }
    }

    void text(const QString& value)
    {
        buffer_ += " t=\"inlineStr\"><is><t";
        if (value != value.trimmed())
            buffer_ += " xml:space=\"preserve\"";
        buffer_ += '>';
        appendXmlText(buffer_, value);
        buffer_ += "</t></is></c>";
    }

    void flush()
    {
        if (file_.write(buffer_) != buffer_.size())
            throw DbError(QStringLiteral("无法写入临时文件“%1”。").arg(file_.fileName()));
        buffer_.clear();
    }

    QFile& file_;
    QByteArray buffer_;
    QList<QByteArray> columns_;
};

// The new sheet's part, written to a file so a large sheet needs little memory.
int writeSheetPart(QFile& file, SourceRows& rows, const std::function<void(int)>& afterRow)
{
    QList<QVariant> header;
    for (const QString& name : rows.fieldNames())
        header << name;
    SheetPartWriter sheet(file, int(header.size()));
    sheet.row(1, header);
    int count = 0;
    const int columns = int(header.size());
    QList<QVariant> values(columns);
    while (rows.next()) {
        if (count + 2 > LastRow)
            throw DbError(QStringLiteral("行数超过 Excel 工作表的上限。"));
        for (int c = 0; c < columns; ++c)
            values[c] = rows.value(c);
        sheet.row(count + 2, values);
        ++count;
        if (afterRow)
            afterRow(count);
    }
    sheet.finish();
    return count;
}

// Copies the workbook byte for byte, so the archive edit never touches the original.
void copyFile(const QString& from, const QString& to)
{
    QFile source(from);
    QFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("无法复制工作簿“%1”。").arg(from));
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() || target.write(block) != block.size())
            throw DbError(QStringLiteral("无法复制工作簿“%1”。").arg(from));
    }
}

} // namespace

WorkbookSheetAdder::WorkbookSheetAdder(const QString& workbookPath)
    : workbookPath_(workbookPath)
{
    Archive archive(workbookPath_, ZIP_RDONLY);
    workbookPart_ = archive.contains(PackageRelationshipsPart)
        ? workbookPartOf(archive.read(PackageRelationshipsPart))
        : QStringLiteral("xl/workbook.xml");
    relationshipsPart_ = relationshipsPartOf(workbookPart_);
    if (!archive.contains(ContentTypesPart) || !archive.contains(workbookPart_) || !archive.contains(relationshipsPart_))
        throw DbError(notWorkbook(workbookPath_));
    sheetNames_ = readSheets(archive.read(workbookPart_), workbookPath_).names;
}

int WorkbookSheetAdder::addSheet(const QString& outputPath, const QString& sheetName, SourceRows& rows,
                                 const std::function<void(int)>& afterRow)
{
    QTemporaryFile sheetFile;
    if (!sheetFile.open())
        throw DbError(QStringLiteral("无法建立临时文件。"));
    const int count = writeSheetPart(sheetFile, rows, afterRow);
    sheetFile.close();

    copyFile(workbookPath_, outputPath);
    Archive archive(outputPath, 0);
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
    archive.addFile(workbookFolder + target, sheetFile.fileName());
    archive.commit();
    return count;
}
