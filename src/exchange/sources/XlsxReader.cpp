#include "XlsxReader.h"

#include "ExcelCells.h"
#include "SourceFileError.h"
#include "XlsxWorkbook.h"
#include "ZipArchive.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <functional>
#include <map>

namespace {

constexpr qint64 ProgressEvery = 1000;
constexpr qint64 MaxRows = 1048576;

// One cell as the sheet stores it, before it becomes a value.
struct RawCell {
    int column = -1;
    QString type;     // t attribute: s, inlineStr, str, b, e, n, d
    int style = 0;
    QString value;    // <v>, or the inline string's text
    bool hasValue = false;
};

// Walks the rows of a worksheet part: calls onRow with each row number (1-based) and its
// cells in column order. Throws DbError when the part is damaged.
class SheetRows {
public:
    SheetRows(const XlsxWorkbook& workbook, const QString& part) : workbook_(workbook), part_(part) {}

    void forEachRow(const std::function<bool(qint64 row, const QList<RawCell>& cells)>& onRow) const
    {
        std::unique_ptr<QIODevice> device = workbook_.archive().open(part_);
        QXmlStreamReader xml(device.get());
        qint64 rowNumber = 0;
        QList<RawCell> cells;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("row")) {
                const auto r = xml.attributes().value(QLatin1String("r"));
                const qint64 given = r.isEmpty() ? rowNumber + 1 : r.toLongLong();
                if (given <= rowNumber || given > MaxRows)
                    throw SourceFileError::corrupt(workbook_.archive().path());
                rowNumber = given;
                cells.clear();
                readCells(xml, cells);
                if (!onRow(rowNumber, cells))
                    return;
            }
        }
        if (xml.hasError() || ZipArchive::damaged(*device))
            throw SourceFileError::corrupt(workbook_.archive().path());
    }

private:
    // Reads the <c> elements up to the end of the row.
    void readCells(QXmlStreamReader& xml, QList<RawCell>& cells) const
    {
        int nextColumn = 0;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("row"))
                return;
            if (token != QXmlStreamReader::StartElement || xml.name() != QLatin1String("c"))
                continue;
            RawCell cell;
            const auto attributes = xml.attributes();
            const auto reference = attributes.value(QLatin1String("r"));
            cell.column = reference.isEmpty() ? nextColumn : ExcelCells::columnOfReference(reference.toString());
            if (cell.column < 0 || cell.column < nextColumn)
                throw SourceFileError::corrupt(workbook_.archive().path());
            nextColumn = cell.column + 1;
            cell.type = attributes.value(QLatin1String("t")).toString();
            cell.style = attributes.value(QLatin1String("s")).toInt();
            readCellContent(xml, cell);
            cells << cell;
        }
    }

    static void readCellContent(QXmlStreamReader& xml, RawCell& cell)
    {
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("c"))
                return;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("v")) {
                cell.value = xml.readElementText();
                cell.hasValue = true;
            } else if (xml.name() == QLatin1String("t") && cell.type == QLatin1String("inlineStr")) {
                cell.value += ExcelCells::unescapeOoxml(xml.readElementText(QXmlStreamReader::IncludeChildElements));
                cell.hasValue = true;
            }
        }
    }

    const XlsxWorkbook& workbook_;
    QString part_;
};

QVariant valueOf(const RawCell& cell, const XlsxWorkbook& workbook)
{
    if (!cell.hasValue)
        return {};
    if (cell.type == QLatin1String("s")) {
        bool ok = false;
        const int index = cell.value.toInt(&ok);
        if (!ok || index < 0 || index >= workbook.sharedStrings().size())
            throw SourceFileError::corrupt(workbook.archive().path());
        return workbook.sharedStrings().at(index);
    }
    if (cell.type == QLatin1String("inlineStr") || cell.type == QLatin1String("str"))
        return ExcelCells::unescapeOoxml(cell.value);
    if (cell.type == QLatin1String("b"))
        return cell.value.trimmed() == QLatin1String("1") || cell.value.trimmed() == QLatin1String("true");
    if (cell.type == QLatin1String("e"))
        return {};   // #N/A, #DIV/0! ...: no value
    if (cell.type == QLatin1String("d")) {
        const QDateTime moment = QDateTime::fromString(cell.value.trimmed(), Qt::ISODate);
        if (!moment.isValid())
            return cell.value;
        return moment.time() == QTime(0, 0) ? QVariant(moment.date()) : QVariant(moment);
    }
    bool ok = false;
    const double number = cell.value.trimmed().toDouble(&ok);
    if (!ok)
        return cell.value.isEmpty() ? QVariant() : QVariant(cell.value);
    if (workbook.styleIsDate(cell.style)) {
        const QVariant date = ExcelCells::dateFromSerial(number, workbook.datesFrom1904());
        if (date.isValid())
            return date;
    }
    return ExcelCells::number(number);
}

bool isEmptyValue(const QVariant& value)
{
    return !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// Where the sheet's values lie: the first and last row and column holding a value.
struct UsedRange {
    qint64 firstRow = 0;
    qint64 lastRow = 0;
    int firstColumn = -1;
    int lastColumn = -1;
    bool isEmpty() const { return firstRow == 0; }
};

UsedRange usedRange(const SheetRows& rows, const XlsxWorkbook& workbook)
{
    UsedRange range;
    rows.forEachRow([&](qint64 row, const QList<RawCell>& cells) {
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
    const SheetRows rows(workbook, sheet.part);

    // A first pass finds where the values lie, so no column is missed and empty rows at the
    // end are left out; the second hands the rows over.
    const UsedRange range = usedRange(rows, workbook);
    if (range.isEmpty()) {
        sink.begin({});
        return !progress || progress(0);
    }
    const int width = range.lastColumn - range.firstColumn + 1;
    qint64 written = 0;
    qint64 expectedRow = range.firstRow + 1;
    bool cancelled = false;
    rows.forEachRow([&](qint64 row, const QList<RawCell>& cells) {
        if (row > range.lastRow)
            return false;
        if (row < range.firstRow)
            return true;
        QVariantList values(width);
        for (const RawCell& cell : cells) {
            if (cell.column >= range.firstColumn && cell.column <= range.lastColumn)
                values[cell.column - range.firstColumn] = valueOf(cell, workbook);
        }
        if (row == range.firstRow) {
            QStringList names;
            for (const QVariant& value : values)
                names << (value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d")) : value.toString());
            sink.begin(names);
            return true;
        }
        // Rows the sheet leaves out between rows with values are empty rows of the table.
        for (; expectedRow < row; ++expectedRow, ++written)
            sink.addRow(QVariantList(width));
        sink.addRow(values);
        ++written;
        ++expectedRow;
        if (progress && written % ProgressEvery == 0 && !progress(written)) {
            cancelled = true;
            return false;
        }
        return true;
    });
    if (cancelled)
        return false;
    return !progress || progress(written);
}
