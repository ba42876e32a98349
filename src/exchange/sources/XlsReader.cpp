#include "XlsReader.h"

#include "ExcelCells.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"

#include <QDateTime>
#include <QFileInfo>
#include <freexl.h>

namespace {

constexpr qint64 ProgressEvery = 1000;
constexpr unsigned MaxRows = 65536;
constexpr unsigned MaxColumns = 256;

// An open workbook; closed again when it goes.
class XlsWorkbook {
public:
    explicit XlsWorkbook(const QString& path) : path_(path)
    {
        const int status = freexl_open(path.toLocal8Bit().constData(), &handle_);
        if (status != FREEXL_OK) {
            if (status == FREEXL_FILE_NOT_FOUND)
                throw QFileInfo(path).isFile() ? SourceFileError::cannotOpen(path) : SourceFileError::missing(path);
            throw SourceFileError::corrupt(path);
        }
        unsigned int password = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password != FREEXL_BIFF_PLAIN
            && password != 0)
            throw SourceFileError::unreadable(path, QStringLiteral("文件设有密码保护。"));
    }
    ~XlsWorkbook() { freexl_close(handle_); }
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    QStringList sheetNames() const
    {
        unsigned int count = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
            throw SourceFileError::corrupt(path_);
        QStringList names;
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
                throw SourceFileError::corrupt(path_);
            names << QString::fromUtf8(name);
        }
        return names;
    }

    // Makes the sheet current; answers its row and column counts.
    std::pair<unsigned, unsigned> select(int index)
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK
            || freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK
            || rows > MaxRows || columns > MaxColumns)
            throw SourceFileError::corrupt(path_);
        return {rows, columns};
    }

    QVariant value(unsigned row, unsigned column) const
    {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle_, row, static_cast<unsigned short>(column), &cell) != FREEXL_OK)
            throw SourceFileError::corrupt(path_);
        switch (cell.type) {
        case FREEXL_CELL_INT:
            return qint64(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return ExcelCells::number(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return cell.value.text_value ? QVariant(QString::fromUtf8(cell.value.text_value)) : QVariant();
        case FREEXL_CELL_DATE: {
            const QDate date = QDate::fromString(QString::fromLatin1(cell.value.text_value), Qt::ISODate);
            return date.isValid() ? QVariant(date) : QVariant(QString::fromLatin1(cell.value.text_value));
        }
        case FREEXL_CELL_DATETIME: {
            const QDateTime moment = QDateTime::fromString(QString::fromLatin1(cell.value.text_value),
                                                           QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return moment.isValid() ? QVariant(moment) : QVariant(QString::fromLatin1(cell.value.text_value));
        }
        case FREEXL_CELL_TIME:
            return QString::fromLatin1(cell.value.text_value);
        default:
            return {};
        }
    }

private:
    QString path_;
    const void* handle_ = nullptr;
};

bool isEmptyValue(const QVariant& value)
{
    return !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

} // namespace

QString XlsReader::formatName() const
{
    return QStringLiteral("Excel 97-2003");
}

bool XlsReader::canRead(const QString& path) const
{
    // The compound file signature; what lies inside is FreeXL's to judge.
    return SourceFileBytes::head(path, 8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
}

QStringList XlsReader::tableNames(const QString& path) const
{
    const QStringList names = XlsWorkbook(path).sheetNames();
    if (names.isEmpty())
        throw SourceFileError::unreadable(path, QStringLiteral("工作簿中没有工作表。"));
    return names;
}

QString XlsReader::loadedTableName(const QString&, const QString& table) const
{
    return table + QLatin1Char('$');
}

bool XlsReader::readTable(const QString& path, const QString& table, TableSink& sink,
                          const ReadProgress& progress) const
{
    XlsWorkbook workbook(path);
    const int index = int(workbook.sheetNames().indexOf(table));
    if (index < 0)
        throw SourceFileError::unknownTable(path, table);
    const auto [rowCount, columnCount] = workbook.select(index);

    // Where the values lie: the heading is the first row with a value, empty columns on the
    // left and empty rows at the end are no part of the table.
    std::vector<QVariantList> cells;   // read once, row by row
    cells.reserve(rowCount);
    qint64 firstRow = -1, lastRow = -1;
    int firstColumn = int(columnCount), lastColumn = -1;
    for (unsigned r = 0; r < rowCount; ++r) {
        QVariantList row(columnCount);
        for (unsigned c = 0; c < columnCount; ++c) {
            row[c] = workbook.value(r, c);
            if (isEmptyValue(row[c]))
                continue;
            if (firstRow < 0)
                firstRow = r;
            lastRow = r;
            firstColumn = std::min(firstColumn, int(c));
            lastColumn = std::max(lastColumn, int(c));
        }
        cells.push_back(std::move(row));
    }
    if (firstRow < 0) {
        sink.begin({});
        return !progress || progress(0);
    }
    auto slice = [&](const QVariantList& row) { return row.mid(firstColumn, lastColumn - firstColumn + 1); };
    QStringList names;
    for (const QVariant& heading : slice(cells[size_t(firstRow)]))
        names << (heading.typeId() == QMetaType::QDate ? heading.toDate().toString(QStringLiteral("yyyy/M/d")) : heading.toString());
    sink.begin(names);
    qint64 written = 0;
    for (qint64 r = firstRow + 1; r <= lastRow; ++r) {
        sink.addRow(slice(cells[size_t(r)]));
        ++written;
        if (progress && written % ProgressEvery == 0 && !progress(written))
            return false;
    }
    return !progress || progress(written);
}
