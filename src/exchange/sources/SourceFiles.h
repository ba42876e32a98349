#pragma once

#include "SourceReader.h"

#include <QString>
#include <QStringList>
#include <memory>

class Connection;

// The import's way into outside files: picks the reader by the file's content, lists the
// file's tables and loads one of them into a temporary database of its own, which then serves
// as the source connection for the import statements ("Select * From [Sheet1$]").
namespace SourceFiles {

// The reader that reads the file, chosen by the file's content. Throws DbError when the file
// is missing, cannot be opened, is empty or is of no kind the import reads.
const SourceReader& readerFor(const QString& path);

// The tables a user can choose from: Access tables without the "MSys" ones, Excel worksheets
// without "$", the one table of a dBase or CSV file (its base name). Throws DbError.
QStringList tableNames(const QString& path);

// The name the loaded table has in that database: the Access table name, the sheet
// name followed by "$" for Excel, the base name for dBase and CSV.
QString sourceTableName(const QString& path, const QString& table);

// Loads one table into a new temporary database under sourceTableName(). Returns nullptr when
// the progress callback cancelled the load. Throws DbError when the file cannot be read.
std::shared_ptr<Connection> load(const QString& path, const QString& table,
                                 const ReadProgress& progress = {});

}  // namespace SourceFiles
