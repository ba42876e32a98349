#include "SourceFiles.h"

#include "AccessReader.h"
#include "BackgroundTableSink.h"
#include "CsvReader.h"
#include "DbfReader.h"
#include "MemoryTableSink.h"
#include "SourceFileError.h"
#include "SourceFileBytes.h"
#include "XlsReader.h"
#include "XlsxReader.h"
#include "core/Connection.h"

#include <QFile>
#include <QFileInfo>
#include <vector>

namespace SourceFiles {

namespace {

// In the order they are asked: the ones that recognise a file by a signature first, plain
// text last, since almost any file could pass for text.
const std::vector<std::unique_ptr<SourceReader>>& readers()
{
    static const std::vector<std::unique_ptr<SourceReader>> all = [] {
        std::vector<std::unique_ptr<SourceReader>> list;
        list.push_back(std::make_unique<AccessReader>());
        list.push_back(std::make_unique<XlsxReader>());
        list.push_back(std::make_unique<XlsReader>());
        list.push_back(std::make_unique<DbfReader>());
        list.push_back(std::make_unique<CsvReader>());
        return list;
    }();
    return all;
}

void checkReadable(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        throw SourceFileError::missing(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SourceFileError::cannotOpen(path);
    if (file.size() == 0)
        throw SourceFileError::empty(path);
}

// Excel 2.x to 4.0 stored a sheet as a bare record stream, starting with its BOF record
// (0x0009, 0x0209 or 0x0409); the import reads Excel 5 and later.
bool isOldExcelSheet(const QByteArray& head)
{
    if (head.size() < 4 || head.at(0) != '\x09' || head.at(3) != '\0')
        return false;
    const char version = head.at(1);
    return (version == '\x00' || version == '\x02' || version == '\x04') && (head.at(2) == 4 || head.at(2) == 6);
}

// A name that promises an Excel 2007 workbook (a zip package). Such a file that is none is
// refused rather than read as text: a page saved under that name would otherwise open as a
// sheet of one column and no rows.
bool namedAsWorkbook(const QString& path)
{
    static const QStringList suffixes{QStringLiteral("xlsx"), QStringLiteral("xlsm"), QStringLiteral("xltx"), QStringLiteral("xltm")};
    return suffixes.contains(QFileInfo(path).suffix(), Qt::CaseInsensitive);
}

} // namespace

const SourceReader& readerFor(const QString& path)
{
    checkReadable(path);
    for (const auto& reader : readers()) {
        const bool plainText = dynamic_cast<const CsvReader*>(reader.get()) != nullptr;
        if (plainText && namedAsWorkbook(path))
            throw SourceFileError::unreadable(
                path, QStringLiteral("不是Excel文件：文件名以 .%1 结尾，内容却不是 Excel 工作簿。请在生成它的程序中另存为 Excel 工作簿后再导入。")
                          .arg(QFileInfo(path).suffix()));
        if (reader->canRead(path))
            return *reader;
    }
    if (isOldExcelSheet(SourceFileBytes::head(path, 8)))
        throw SourceFileError::unreadable(
            path, QStringLiteral("这是 Excel 4.0 或更早版本的工作表，无法导入。请在 Excel 中另存为较新的格式后再导入。"));
    throw SourceFileError::unknownFormat(path);
}

QStringList tableNames(const QString& path)
{
    return readerFor(path).tableNames(path);
}

QString sourceTableName(const QString& path, const QString& table)
{
    return readerFor(path).loadedTableName(path, table);
}

std::shared_ptr<Connection> load(const QString& path, const QString& table, const ReadProgress& progress)
{
    const SourceReader& reader = readerFor(path);
    if (!reader.tableNames(path).contains(table))
        throw SourceFileError::unknownTable(path, table);
    // A sheet of a million rows is held in a temporary file, not in memory.
    auto connection = Connection::openTemporary();
    MemoryTableSink sink(connection, reader.loadedTableName(path, table));
    try {
        {
            BackgroundTableSink storing(sink);
            if (!reader.readTable(path, table, storing, progress))
                return nullptr;
            storing.finish();
        }
        sink.finish();
    } catch (const DbError& error) {
        // The store's own failures (the temporary folder's disk full) are named with the file.
        if (error.kind() == StoreFailure::Other || error.description().contains(path))
            throw;
        throw SourceFileError::unreadable(path, error.description());
    }
    return connection;
}

}  // namespace SourceFiles
