#include "XlsReader.h"

#include "BiffWorkbook.h"
#include "CompoundFile.h"
#include "ExcelCells.h"
#include "FreeXlWorkbook.h"
#include "IsolatedRun.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"

#include <QDataStream>
#include <QDateTime>
#include <QMap>
#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {

constexpr qint64 ProgressEvery = 1000;


bool isEmptyValue(const QVariant& value)
{
    return !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isEmpty());
}

// The sheet through FreeXL, as its non-empty cells.
BiffWorkbook::Cells cellsThroughFreeXl(FreeXlWorkbook& workbook, int index)
{
    const auto [rowCount, columnCount] = workbook.select(index);
    BiffWorkbook::Cells cells;
    for (unsigned r = 0; r < rowCount; ++r) {
        for (unsigned c = 0; c < columnCount; ++c) {
            QVariant value = workbook.value(r, c);
            if (!isEmptyValue(value))
                cells[int(r)][int(c)] = std::move(value);
        }
    }
    return cells;
}

// The workbook read by the program's own reader; nullopt when it is no Excel 5-2003
// workbook it can read (older Excel versions are FreeXL's). Throws DbError for a workbook
// saved with a password: an .xlsx so saved is a compound file holding the encrypted package.
std::optional<BiffWorkbook> ownReading(const QString& path)
{
    const std::optional<CompoundFile> file = CompoundFile::parse(SourceFileBytes::all(path));
    if (!file)
        return std::nullopt;
    if (file->stream(QStringLiteral("EncryptedPackage")))
        throw SourceFileError::passwordProtected(path);
    std::optional<QByteArray> stream = file->stream(QStringLiteral("Workbook"));
    if (!stream)
        stream = file->stream(QStringLiteral("Book"));
    if (!stream)
        return std::nullopt;
    std::optional<BiffWorkbook> workbook = BiffWorkbook::parse(*stream);
    if (workbook && workbook->encrypted())
        throw SourceFileError::passwordProtected(path);
    return workbook;
}

QStringList headingsOf(const QVariantList& values)
{
    QStringList names;
    for (const QVariant& value : values)
        names << (value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d")) : value.toString());
    return names;
}

// Hands the sheet's values over as a table: the heading is the first row with a value,
// empty columns on the left and empty rows at the end are no part of it.
bool emitTable(const BiffWorkbook::Cells& cells, TableSink& sink, const ReadProgress& progress)
{
    int firstColumn = std::numeric_limits<int>::max(), lastColumn = -1;
    for (const auto& [row, values] : cells) {
        for (const auto& [column, value] : values) {
            if (isEmptyValue(value))
                continue;
            firstColumn = std::min(firstColumn, column);
            lastColumn = std::max(lastColumn, column);
        }
    }
    if (lastColumn < 0) {
        sink.begin({});
        return !progress || progress(0);
    }
    const int width = lastColumn - firstColumn + 1;
    auto rowValues = [&](const std::map<int, QVariant>& values) {
        QVariantList row(width);
        // Empty values (a text record with an empty string) lie outside the columns counted
        // above; they are no values of the table.
        for (const auto& [column, value] : values) {
            if (!isEmptyValue(value))
                row[column - firstColumn] = value;
        }
        return row;
    };
    bool headed = false;
    int lastRow = 0;
    qint64 written = 0;
    for (const auto& [row, values] : cells) {
        const QVariantList current = rowValues(values);
        if (std::all_of(current.cbegin(), current.cend(), [](const QVariant& v) { return !v.isValid(); }))
            continue;
        if (!headed) {
            sink.begin(headingsOf(current));
            headed = true;
            lastRow = row;
            continue;
        }
        for (int empty = lastRow + 1; empty < row; ++empty, ++written)
            sink.addRow(QVariantList(width));
        sink.addRow(current);
        ++written;
        lastRow = row;
        if (progress && written % ProgressEvery == 0 && !progress(written))
            return false;
    }
    return !progress || progress(written);
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

namespace {

// Runs FreeXL in a child process: on a damaged file it can write outside its buffers, which
// must not harm the program. The sheet names or one sheet's cells come back as one frame.
QByteArray throughFreeXl(const QString& path, const std::function<QByteArray(FreeXlWorkbook&)>& work)
{
    QByteArray result;
    IsolatedRun::run(
        path,
        [&](const IsolatedRun::SendFrame& send) {
            FreeXlWorkbook workbook(path);
            if (!workbook.opened())
                throw SourceFileError::corrupt(path);
            send('X', work(workbook));
        },
        [&](char, const QByteArray& payload) {
            result = payload;
            return true;
        });
    return result;
}

} // namespace

// The program's own reader comes first: FreeXL leaves formula cells empty (their results are
// lost) and refuses some well-formed files. FreeXL reads the older versions of the format.
QStringList XlsReader::tableNames(const QString& path) const
{
    QStringList names;
    if (const std::optional<BiffWorkbook> own = ownReading(path)) {
        for (const BiffWorkbook::Sheet& sheet : own->worksheets())
            names << sheet.name;
    } else {
        const QByteArray frame = throughFreeXl(path, [](FreeXlWorkbook& workbook) {
            QByteArray bytes;
            QDataStream stream(&bytes, QIODevice::WriteOnly);
            stream << workbook.sheetNames();
            return bytes;
        });
        QDataStream stream(frame);
        stream >> names;
    }
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
    if (const std::optional<BiffWorkbook> own = ownReading(path)) {
        for (const BiffWorkbook::Sheet& sheet : own->worksheets()) {
            if (sheet.name != table)
                continue;
            const std::optional<BiffWorkbook::Cells> cells = own->cells(sheet);
            if (!cells)
                throw SourceFileError::corrupt(path);
            return emitTable(*cells, sink, progress);
        }
        throw SourceFileError::unknownTable(path, table);
    }
    const QByteArray frame = throughFreeXl(path, [&](FreeXlWorkbook& workbook) {
        const int index = int(workbook.sheetNames().indexOf(table));
        if (index < 0)
            throw SourceFileError::unknownTable(path, table);
        QMap<int, QMap<int, QVariant>> cells;
        for (const auto& [row, values] : cellsThroughFreeXl(workbook, index))
            cells.insert(row, QMap<int, QVariant>(values));
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream << cells;
        return bytes;
    });
    QMap<int, QMap<int, QVariant>> received;
    QDataStream stream(frame);
    stream >> received;
    BiffWorkbook::Cells cells;
    for (auto row = received.cbegin(); row != received.cend(); ++row)
        cells[row.key()] = row.value().toStdMap();
    return emitTable(cells, sink, progress);
}
