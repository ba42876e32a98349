#include "Schema.h"

#include "Connection.h"
#include "DbError.h"
#include "Transaction.h"

#include <QFile>
#include <QFileInfo>

namespace Schema {

QString script()
{
    static const QString text = QString::fromUtf8(
#include "schema_sql.inc"
    );
    return text;
}

void createMainDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("文件“%1”已存在。").arg(path));
    try {
        auto connection = Connection::create(path);
        Transaction transaction(*connection);
        connection->executeScript(script());
        transaction.commit();
    } catch (const DbError&) {
        QFile::remove(path);   // no half-built database is left behind
        throw;
    }
}

bool ensureMainDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        return false;
    createMainDatabase(path);
    return true;
}

bool ensureExportDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        return false;
    auto connection = Connection::create(path);
    // Writing the header makes the file a database even while it holds no table.
    connection->executeScript(QStringLiteral("PRAGMA user_version = 1;"));
    return true;
}

} // namespace Schema
