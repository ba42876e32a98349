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

} // namespace

const SourceReader& readerFor(const QString& path)
{
    checkReadable(path);
    for (const auto& reader : readers()) {
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
    {
        BackgroundTableSink storing(sink);
        if (!reader.readTable(path, table, storing, progress))
            return nullptr;
        storing.finish();
    }
    sink.finish();
    return connection;
}

}  // namespace SourceFiles
