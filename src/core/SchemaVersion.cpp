#include "SchemaVersion.h"

#include "Connection.h"
#include "DbError.h"
#include "Statement.h"
#include "Transaction.h"

#include <QDir>
#include <QFileInfo>

namespace SchemaVersion {

namespace {

const QString ServerTable = QStringLiteral("marquel_schema_version");

bool serverHasVersionTable(Connection& connection)
{
    for (const Connection::TableInfo& table : connection.tables())
        if (table.name == ServerTable)
            return true;
    return false;
}

QString shownName(const Connection& connection)
{
    return connection.isServer() ? connection.displayName() : QDir::toNativeSeparators(connection.location());
}

// A free name beside the database: Tembra_Estimation-v1-backup.db, then -2, -3 … so that an
// earlier backup is never overwritten.
QString backupPathFor(const QString& database, int version)
{
    const QFileInfo file(database);
    const QString stem = QStringLiteral("%1-v%2-backup").arg(file.completeBaseName()).arg(version);
    const QString suffix = file.suffix().isEmpty() ? QString() : QLatin1Char('.') + file.suffix();
    QString path = file.dir().filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = file.dir().filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix));
    return path;
}

// VACUUM INTO writes a whole, consistent copy, whatever the journal still holds.
QString backUp(Connection& connection, int version)
{
    const QString path = backupPathFor(connection.location(), version);
    try {
        Statement copy(connection, QStringLiteral("VACUUM INTO ?"));
        copy.bind(1, path);
        copy.step();
    } catch (const DbError& error) {
        QFile::remove(path);
        throw DbError(QStringLiteral("没有升级数据库“%1”：无法在它旁边保存备份“%2”（%3）。数据库没有改动。")
                          .arg(shownName(connection), QDir::toNativeSeparators(path), error.description()),
                      error.kind());
    }
    return path;
}

} // namespace

const std::vector<Step>& upgradeSteps()
{
    static const std::vector<Step> steps;
    return steps;
}

int current()
{
    return 1 + int(upgradeSteps().size());
}

int stored(Connection& connection)
{
    if (connection.isServer() && !serverHasVersionTable(connection))
        return 0;
    Statement read(connection, connection.isServer() ? QStringLiteral("SELECT max(version) FROM marquel_schema_version")
                                                     : QStringLiteral("PRAGMA user_version"));
    return read.step() ? int(read.int64At(0)) : 0;
}

void store(Connection& connection, int version)
{
    // `version` is the program's own number, never a user's value.
    if (!connection.isServer()) {
        connection.executeScript(QStringLiteral("PRAGMA user_version = %1;").arg(version));
        return;
    }
    connection.executeScript(QStringLiteral("CREATE TABLE IF NOT EXISTS marquel_schema_version (version bigint NOT NULL);"));
    connection.execute(QStringLiteral("DELETE FROM marquel_schema_version"));
    Statement insert(connection, QStringLiteral("INSERT INTO marquel_schema_version (version) VALUES (?)"));
    insert.bindInt64(1, version);
    insert.step();
}

void refuseNewer(Connection& connection, int programVersion)
{
    const int found = stored(connection);
    if (found > programVersion)
        throw DbError(QStringLiteral("数据库“%1”是第 %2 版的，由更新版本的 Marquel 建立或升级；这个版本的 Marquel 只能打开第 %3 版及以前的数据库。"
                                     "请安装新版本的 Marquel 再打开它。数据库没有改动。")
                          .arg(shownName(connection))
                          .arg(found)
                          .arg(programVersion));
}

QString bringUpToDate(Connection& connection, const std::vector<Step>& steps)
{
    const int target = 1 + int(steps.size());
    refuseNewer(connection, target);
    const int found = stored(connection);
    const int tables = found == 0 ? 1 : found;   // before versions were kept: version 1's tables
    if (found == target)
        return {};
    if (tables == target && connection.isReadOnly())
        return {};   // only the number is missing: the tables are the program's own
    if (connection.isReadOnly())
        throw DbError(QStringLiteral("数据库“%1”是第 %2 版的，要升级到第 %3 版才能用这个版本的 Marquel 打开，但它是只读的。"
                                     "请用可以写入的副本，或者用原来版本的 Marquel 打开它。")
                          .arg(shownName(connection))
                          .arg(tables)
                          .arg(target));

    const QString backup = tables < target && !connection.isServer() ? backUp(connection, tables) : QString();
    try {
        Transaction transaction(connection);
        // Another seat of a server may have upgraded it meanwhile: read again under the write lock.
        const int now = std::max(stored(connection), 1);
        for (int version = now; version < target; ++version)
            steps[version - 1](connection);
        store(connection, target);
        transaction.commit();
    } catch (const DbError& error) {
        if (tables == target)
            return {};   // storing the number alone failed (a seat that does not own the tables): nothing is lost
        throw DbError(QStringLiteral("升级数据库“%1”（第 %2 版到第 %3 版）失败，数据库没有改动：%4")
                          .arg(shownName(connection))
                          .arg(tables)
                          .arg(target)
                          .arg(error.description()),
                      error.kind());
    }
    return backup;
}

} // namespace SchemaVersion
