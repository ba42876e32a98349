#include "XlsxWorkbook.h"

#include "ExcelCells.h"
#include "SourceFileError.h"

#include <QHash>
#include <QXmlStreamReader>

namespace {

constexpr qint64 MaxMetadataBytes = 64LL * 1024 * 1024;
constexpr qint64 MaxSharedStringBytes = 512LL * 1024 * 1024;
const QString WorkbookPart = QStringLiteral("xl/workbook.xml");
const QString WorkbookRelations = QStringLiteral("xl/_rels/workbook.xml.rels");

// A relationship target is relative to xl/ or absolute from the package root.
QString partOf(QString target)
{
    target.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    while (target.startsWith(QLatin1String("./")))
        target = target.mid(2);
    return QStringLiteral("xl/") + target;
}

void throwIfBroken(const QXmlStreamReader& xml, const QString& path)
{
    if (xml.hasError())
        throw SourceFileError::corrupt(path);
}

// The text of a string item (<si> or <is>): its <t>, or the <t> of each run; phonetic
// readings (<rPh>) are no part of it. The reader stands on the item's start element.
QString itemText(QXmlStreamReader& xml)
{
    QString text;
    int phonetic = 0;
    const QStringView itemName = xml.name();
    const QString item = itemName.toString();
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == item)
                break;
        }
    }
    return ExcelCells::unescapeOoxml(text);
}

} // namespace

XlsxWorkbook::XlsxWorkbook(const QString& path) : archive_(path)
{
    if (!isWorkbook(archive_))
        throw SourceFileError::corrupt(path);
    readSheetList();
}

bool XlsxWorkbook::isWorkbook(const ZipArchive& archive)
{
    return archive.contains(WorkbookPart);
}

void XlsxWorkbook::readSheetList()
{
    QHash<QString, QString> targets;   // relationship id → part of a worksheet
    if (archive_.contains(WorkbookRelations)) {
        QXmlStreamReader xml(archive_.read(WorkbookRelations, MaxMetadataBytes));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("Relationship"))
                continue;
            const auto attributes = xml.attributes();
            if (attributes.value(QLatin1String("Type")).endsWith(QLatin1String("/worksheet")))
                targets.insert(attributes.value(QLatin1String("Id")).toString(),
                               partOf(attributes.value(QLatin1String("Target")).toString()));
        }
        throwIfBroken(xml, archive_.path());
    }
    QXmlStreamReader xml(archive_.read(WorkbookPart, MaxMetadataBytes));
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("workbookPr")) {
            const auto value = xml.attributes().value(QLatin1String("date1904"));
            datesFrom1904_ = value == QLatin1String("1") || value == QLatin1String("true");
        } else if (xml.name() == QLatin1String("sheet")) {
            const auto attributes = xml.attributes();
            QString id;
            for (const auto& attribute : attributes) {
                if (attribute.name() == QLatin1String("id"))
                    id = attribute.value().toString();
            }
            const auto target = targets.constFind(id);
            if (target != targets.constEnd())
                sheets_ << Sheet{attributes.value(QLatin1String("name")).toString(), *target};
        }
    }
    throwIfBroken(xml, archive_.path());
}

void XlsxWorkbook::readCellFormats()
{
    readSharedStrings();
    readStyles();
}

void XlsxWorkbook::readSharedStrings()
{
    sharedStrings_.clear();
    const QString part = QStringLiteral("xl/sharedStrings.xml");
    if (!archive_.contains(part))
        return;
    std::unique_ptr<QIODevice> device = archive_.open(part);
    QXmlStreamReader xml(device.get());
    qint64 textBytes = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si")) {
            sharedStrings_ << itemText(xml);
            textBytes += sharedStrings_.last().size() * 2;
            if (textBytes > MaxSharedStringBytes)
                throw SourceFileError::unreadable(archive_.path(), QStringLiteral("文件内容过大，无法读取。"));
        }
    }
    if (xml.hasError() || ZipArchive::damaged(*device))
        throw SourceFileError::corrupt(archive_.path());
}

void XlsxWorkbook::readStyles()
{
    dateStyles_.clear();
    const QString part = QStringLiteral("xl/styles.xml");
    if (!archive_.contains(part))
        return;
    QHash<int, QString> formatCodes;
    QXmlStreamReader xml(archive_.read(part, MaxMetadataBytes));
    bool inCellFormats = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs"))
            inCellFormats = false;
        if (token != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        if (xml.name() == QLatin1String("numFmt")) {
            formatCodes.insert(attributes.value(QLatin1String("numFmtId")).toInt(),
                               attributes.value(QLatin1String("formatCode")).toString());
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellFormats = true;
        } else if (inCellFormats && xml.name() == QLatin1String("xf")) {
            const int formatId = attributes.value(QLatin1String("numFmtId")).toInt();
            dateStyles_.push_back(ExcelCells::isDateFormat(formatId, formatCodes.value(formatId)));
        }
    }
    throwIfBroken(xml, archive_.path());
}

bool XlsxWorkbook::styleIsDate(int styleIndex) const
{
    return styleIndex >= 0 && size_t(styleIndex) < dateStyles_.size() && dateStyles_[size_t(styleIndex)];
}
