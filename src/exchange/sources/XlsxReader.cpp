#include "XlsxReader.h"

#include "ExcelCells.h"
#include "SourceFileError.h"
#include "XlsxSheetRows.h"
#include "XlsxWorkbook.h"
#include "ZipArchive.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <functional>
#include <optional>

namespace {

constexpr qint64 ProgressEvery = 1000;


// A text of the sheet. Handed on as UTF-8 bytes, which the source table stores as they are:
// the texts of a big sheet are never turned into QStrings and back. A text with OOXML's
// _xHHHH_ escapes becomes the QString they stand for.
QVariant textValue(QByteArray utf8)
{
    if (utf8.contains("_x"))
        return ExcelCells::unescapeOoxml(QString::fromUtf8(utf8));
    return utf8;
}

QVariant valueOf(const RawCell& cell, const XlsxWorkbook& workbook)
{
    if (!cell.hasValue)
        return {};
    switch (cell.type) {
    case RawCell::Type::SharedString: {
        bool ok = false;
        const int index = cell.value.toInt(&ok);
        if (!ok || index < 0 || index >= workbook.sharedStringCount())
            throw SourceFileError::corrupt(workbook.archive().path());
        // Without a copy: the workbook keeps the bytes while its rows are read.
        const QByteArrayView text = workbook.sharedStringBytes(index);
        return textValue(QByteArray::fromRawData(text.data(), text.size()));
    }
    case RawCell::Type::InlineString:
    case RawCell::Type::FormulaText:
        return textValue(cell.value);
    case RawCell::Type::Boolean: {
        const QByteArray value = cell.value.trimmed();
        return value == "1" || value == "true";
    }
    case RawCell::Type::Error:
        return {};   // #N/A, #DIV/0! ...: no value
    case RawCell::Type::Date: {
        const QDateTime moment = QDateTime::fromString(QString::fromUtf8(cell.value.trimmed()), Qt::ISODate);
        if (!moment.isValid())
            return QString::fromUtf8(cell.value);
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    case RawCell::Type::Number:
        break;
    }
    bool ok = false;
    const double number = cell.value.trimmed().toDouble(&ok);
    if (!ok)
        return cell.value.isEmpty() ? QVariant() : QVariant(cell.value);
    if (workbook.styleIsDate(cell.style)) {
        const QString duration = workbook.styleDuration(cell.style);
        if (!duration.isEmpty())
            return ExcelCells::durationText(number, duration);
        const QVariant date = ExcelCells::dateFromSerial(number, workbook.datesFrom1904());
        if (date.isValid())
            return date;
    }
    return ExcelCells::number(number);
}

bool isEmptyValue(const QVariant& value)
{
    if (!value.isValid())
        return true;
    if (value.typeId() == QMetaType::QByteArray)
        return static_cast<const QByteArray*>(value.constData())->isEmpty();
    return value.typeId() == QMetaType::QString && static_cast<const QString*>(value.constData())->isEmpty();
}

// Where the sheet's values lie: the first and last row and column holding a value.
struct UsedRange {
    qint64 firstRow = 0;
    qint64 lastRow = 0;
    int firstColumn = -1;
    int lastColumn = -1;
    bool isEmpty() const { return firstRow == 0; }
};

UsedRange usedRange(const XlsxSheetRows& rows, const XlsxWorkbook& workbook)
{
    UsedRange range;
    rows.forEachRow([&](qint64 row, XlsxSheetRows::RowCells cells) {
        for (const RawCell& cell : cells) {
            if (isEmptyValue(valueOf(cell, workbook)))
                continue;
            if (range.firstRow == 0)
                range.firstRow = row;
            range.lastRow = row;
            if (range.firstColumn < 0 || cell.column < range.firstColumn)
                range.firstColumn = cell.column;
            range.lastColumn = std::max(range.lastColumn, cell.column);
        }
        return true;
    });
    return range;
}

struct ColumnSpan {
    int first;
    int last;
};

// The columns of the range a sheet declares before its rows (<dimension ref="B2:H100"/>).
// Nothing when it declares none or only one cell, as some writers do whatever they wrote.
std::optional<ColumnSpan> declaredColumns(const XlsxWorkbook& workbook, const QString& part)
{
    std::unique_ptr<QIODevice> device = workbook.archive().open(part);
    QXmlStreamReader xml(device.get());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("sheetData"))
            return std::nullopt;
        if (xml.name() != QLatin1String("dimension"))
            continue;
        const QStringList corners = xml.attributes().value(QLatin1String("ref")).toString().split(QLatin1Char(':'));
        if (corners.size() != 2)
            return std::nullopt;
        const int first = ExcelCells::columnOfReference(corners.at(0));
        const int last = ExcelCells::columnOfReference(corners.at(1));
        if (first < 0 || last < first)
            return std::nullopt;
        return ColumnSpan{first, last};
    }
    return std::nullopt;
}

QStringList headingsOf(const QVariantList& values)
{
    QStringList names;
    for (const QVariant& value : values)
        names << (value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d")) : value.toString());
    return names;
}

const XlsxWorkbook::Sheet& sheetNamed(const XlsxWorkbook& workbook, const QString& name)
{
    for (const auto& sheet : workbook.sheets()) {
        if (sheet.name == name)
            return sheet;
    }
    throw SourceFileError::unknownTable(workbook.archive().path(), name);
}

} // namespace

QString XlsxReader::formatName() const
{
    return QStringLiteral("Excel 2007");
}

bool XlsxReader::canRead(const QString& path) const
{
    if (!ZipArchive::isZip(path))
        return false;
    // A damaged package is still judged a workbook, so the user hears that it is damaged.
    try {
        return XlsxWorkbook::isWorkbook(ZipArchive(path));
    } catch (const DbError&) {
        return true;
    }
}

QStringList XlsxReader::tableNames(const QString& path) const
{
    const XlsxWorkbook workbook(path);
    QStringList names;
    for (const auto& sheet : workbook.sheets())
        names << sheet.name;
    if (names.isEmpty())
        throw SourceFileError::unreadable(path, QStringLiteral("工作簿中没有工作表。"));
    return names;
}

QString XlsxReader::loadedTableName(const QString&, const QString& table) const
{
    return table + QLatin1Char('$');
}

bool XlsxReader::readTable(const QString& path, const QString& table, TableSink& sink,
                           const ReadProgress& progress) const
{
    XlsxWorkbook workbook(path);
    const XlsxWorkbook::Sheet& sheet = sheetNamed(workbook, table);
    workbook.readCellFormats();
    const XlsxSheetRows rows(workbook, sheet.part);

    // The columns come from the range the sheet declares; a sheet that declares none gets a
    // first pass that finds where its values lie.
    std::optional<ColumnSpan> columns = declaredColumns(workbook, sheet.part);
    const bool declared = columns.has_value();
    if (!declared) {
        const UsedRange range = usedRange(rows, workbook);
        if (range.isEmpty()) {
            sink.begin({});
            return !progress || progress(0);
        }
        columns = ColumnSpan{range.firstColumn, range.lastColumn};
    }
    const int width = columns->last - columns->first + 1;

    bool headed = false;
    qint64 lastRowWithValues = 0;
    qint64 written = 0;
    bool cancelled = false;
    rows.forEachRow([&](qint64 row, XlsxSheetRows::RowCells cells) {
        QVariantList values(width);
        bool anyValue = false;
        for (const RawCell& cell : cells) {
            QVariant value = valueOf(cell, workbook);
            if (isEmptyValue(value))
                continue;
            if (cell.column < columns->first || cell.column > columns->last)
                throw SourceFileError::unreadable(
                    path, QStringLiteral("工作表“%1”中有数据在它声明的范围之外，文件可能已损坏。").arg(table));
            values[cell.column - columns->first] = std::move(value);
            anyValue = true;
        }
        if (!anyValue)
            return true;   // an empty row counts only when a later row has values
        if (!headed) {
            sink.begin(headingsOf(values));
            headed = true;
            lastRowWithValues = row;
            return true;
        }
        // Rows left out or empty between rows with values are empty rows of the table.
        for (qint64 empty = lastRowWithValues + 1; empty < row; ++empty, ++written)
            sink.addRow(QVariantList(width));
        sink.addRow(values);
        ++written;
        lastRowWithValues = row;
        if (progress && written % ProgressEvery == 0 && !progress(written)) {
            cancelled = true;
            return false;
        }
        return true;
    });
    if (cancelled)
        return false;
    if (!headed)
        sink.begin({});
    return !progress || progress(written);
}
