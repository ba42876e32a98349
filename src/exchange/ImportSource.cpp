#include "ImportSource.h"

#include "ImportRules.h"

#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "exchange/sources/SourceFiles.h"

void ImportSource::choose(const QString& path, const QString& title)
{
    fileName = path;
    fileTitle = title;
    baseName = ImportRules::baseNameOf(title);
    folder = ImportRules::folderOf(path, title);
}

bool ImportSource::loadTable(const QString& path, const QString& tableName, const ReadProgress& progress)
{
    std::shared_ptr<Connection> loaded = SourceFiles::load(path, tableName, progress);
    if (!loaded)
        return false;
    const QString fromName = SqlText::quoteName(SourceFiles::sourceTableName(path, tableName));
    auto rows = std::make_shared<Recordset>(loaded, QStringLiteral("Select * From ") + fromName);
    connection = std::move(loaded);
    table = fromName;
    browseRecordset = std::move(rows);
    return true;
}

void ImportSource::reset()
{
    *this = ImportSource();
}
