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
        if (cell.value.trimmed().isEmpty())
            return {};   // <v/>: an empty cell, as spreadsheet programs read it
        bool ok = false;
        const int index = cell.value.toInt(&ok);
        if (!ok || index < 0 || index >= workbook.sharedStringCount())
            throw SourceFileError::corrupt(workbook.archive().path());
        // A copy: the rows may be stored after the workbook is gone.
        return textValue(workbook.sharedStringBytes(index).toByteArray());
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

struct SheetReading {
    const XlsxWorkbook& workbook;
    const XlsxSheetRows& rows;
    const QString& path;
    const QString& table;
};

enum class RowsEnd { Finished, Cancelled, BeyondHeading };

// The columns of the heading row's first and last value; a declared range's first column
// comes first, as the sheet's writer placed the table there.
ColumnSpan headingSpan(const QList<std::pair<int, QVariant>>& values, std::optional<ColumnSpan> declared)
{
    const int first = declared ? declared->first : values.first().first;
    return ColumnSpan{first, values.last().first};
}

// SQLite's limit on a table's columns.
constexpr int MaxColumns = 2000;

void checkWidth(const SheetReading& sheet, const ColumnSpan& columns)
{
    const int width = columns.last - columns.first + 1;
    if (width > MaxColumns)
        throw SourceFileError::unreadable(
            sheet.path, QStringLiteral("工作表“%1”有 %2 列数据，超过了导入能接受的 %3 列。请删去不用的列后再导入。")
                            .arg(sheet.table).arg(width).arg(MaxColumns));
}

// Hands the sheet's rows within the columns to the sink, the first row with values as the
// heading. Without columns the heading row's span is taken; a value beyond it then ends the
// reading with BeyondHeading. The range a sheet declares is only a hint (some writers declare
// every column, A1:XFD2): its columns are those that hold a value, but a value outside it is
// damage.
RowsEnd readRows(const SheetReading& sheet, std::optional<ColumnSpan> declared, std::optional<ColumnSpan> columns,
                 TableSink& sink, const ReadProgress& progress)
{
    const bool fromHeading = !columns.has_value();
    bool headed = false;
    qint64 lastRowWithValues = 0;
    qint64 written = 0;
    RowsEnd end = RowsEnd::Finished;
    QList<std::pair<int, QVariant>> found;
    sheet.rows.forEachRow([&](qint64 row, XlsxSheetRows::RowCells cells) {
        found.clear();
        for (const RawCell& cell : cells) {
            QVariant value = valueOf(cell, sheet.workbook);
            if (!isEmptyValue(value))
                found.emplace_back(cell.column, std::move(value));
        }
        if (found.isEmpty())
            return true;   // an empty row counts only when a later row has values
        if (!columns)
            columns = headingSpan(found, declared);
        const int width = columns->last - columns->first + 1;
        QVariantList values(width);
        for (auto& [column, value] : found) {
            if (declared && (column < declared->first || column > declared->last))
                throw SourceFileError::unreadable(
                    sheet.path, QStringLiteral("工作表“%1”中有数据在它声明的范围之外，文件可能已损坏。").arg(sheet.table));
            if (column < columns->first || column > columns->last) {
                if (fromHeading) {
                    end = RowsEnd::BeyondHeading;
                    return false;
                }
                throw SourceFileError::corrupt(sheet.path);
            }
            values[column - columns->first] = std::move(value);
        }
        if (!headed) {
            checkWidth(sheet, *columns);
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
            end = RowsEnd::Cancelled;
            return false;
        }
        return true;
    });
    if (end != RowsEnd::Finished)
        return end;
    if (!headed)
        sink.begin({});
    return !progress || progress(written) ? RowsEnd::Finished : RowsEnd::Cancelled;
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

    // The sheet is read as wide as its heading row (from the first column of the range it
    // declares, if any); only a value beyond that (rare) costs a first pass over the whole
    // sheet to find where its values lie, and a second reading.
    const SheetReading reading{workbook, rows, path, table};
    const std::optional<ColumnSpan> declared = declaredColumns(workbook, sheet.part);
    const RowsEnd end = readRows(reading, declared, std::nullopt, sink, progress);
    if (end != RowsEnd::BeyondHeading)
        return end == RowsEnd::Finished;
    sink.restart();
    const UsedRange range = usedRange(rows, workbook);
    const int first = declared ? declared->first : range.firstColumn;
    return readRows(reading, declared, ColumnSpan{first, range.lastColumn}, sink, progress) == RowsEnd::Finished;
}
