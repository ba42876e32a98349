#include "XlsxWorkbook.h"

#include "ExcelCells.h"
#include "FastXmlReader.h"
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

// The text of a string item (<si>): its <t>, or the <t> of each run; phonetic readings
// (<rPh>) are no part of it. The reader stands on the item's start element.
QByteArray itemText(FastXmlReader& xml)
{
    QByteArray text;
    int inText = 0;
    int phonetic = 0;
    for (;;) {
        const auto token = xml.next();
        if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
            break;
        if (token == FastXmlReader::Token::StartElement) {
            if (xml.name() == "rPh")
                ++phonetic;
            else if (xml.name() == "t" && phonetic == 0)
                ++inText;
        } else if (token == FastXmlReader::Token::EndElement) {
            if (xml.name() == "si")
                break;
            if (xml.name() == "rPh")
                --phonetic;
            else if (xml.name() == "t" && inText > 0)
                --inText;
        } else if (token == FastXmlReader::Token::Text && inText > 0) {
            text += xml.text();
        }
    }
    return text;
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
    sharedStringBytes_.clear();
    sharedStringEnds_.clear();
    const QString part = QStringLiteral("xl/sharedStrings.xml");
    if (!archive_.contains(part))
        return;
    std::unique_ptr<QIODevice> device = archive_.openReadingAhead(part);
    FastXmlReader xml(device.get());
    for (;;) {
        const auto token = xml.next();
        if (token == FastXmlReader::Token::End || token == FastXmlReader::Token::Error)
            break;
        if (token != FastXmlReader::Token::StartElement || xml.name() != "si")
            continue;
        // Most items are one plain text, read in one step.
        if (!xml.readTextBetween("<t>", "</t></si>", sharedStringBytes_))
            sharedStringBytes_ += itemText(xml);
        sharedStringEnds_.push_back(sharedStringBytes_.size());
        if (sharedStringBytes_.size() > MaxSharedStringBytes)
            throw SourceFileError::unreadable(archive_.path(), QStringLiteral("文件内容过大，无法读取。"));
    }
    if (xml.hasError() || ZipArchive::damaged(*device))
        throw SourceFileError::corrupt(archive_.path());
}

void XlsxWorkbook::readStyles()
{
    dateStyles_.clear();
    durationStyles_.clear();
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
            durationStyles_.push_back(ExcelCells::durationFormat(formatId, formatCodes.value(formatId)));
        }
    }
    throwIfBroken(xml, archive_.path());
}

QByteArrayView XlsxWorkbook::sharedStringBytes(qsizetype index) const
{
    const qsizetype start = index == 0 ? 0 : sharedStringEnds_[size_t(index - 1)];
    const qsizetype end = sharedStringEnds_[size_t(index)];
    return QByteArrayView(sharedStringBytes_.constData() + start, end - start);
}

bool XlsxWorkbook::styleIsDate(int styleIndex) const
{
    return styleIndex >= 0 && size_t(styleIndex) < dateStyles_.size() && dateStyles_[size_t(styleIndex)];
}

QString XlsxWorkbook::styleDuration(int styleIndex) const
{
    return styleIndex >= 0 && size_t(styleIndex) < durationStyles_.size() ? durationStyles_[size_t(styleIndex)] : QString();
}
