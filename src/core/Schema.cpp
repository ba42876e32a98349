#include "Schema.h"

#include "Connection.h"
#include "DbError.h"
#include "Statement.h"
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

const QStringList& tableNames()
{
    static const QStringList names{QStringLiteral("planTable"), QStringLiteral("marketingComment"),
                                   QStringLiteral("feedbackTable"), QStringLiteral("clientTableInfo"),
                                   QStringLiteral("productDF")};
    return names;
}

void checkMainDatabase(Connection& connection)
{
    QStringList present;
    for (const Connection::TableInfo& table : connection.tables())
        present << table.name;
    for (const QString& name : tableNames()) {
        if (!present.contains(name))
            throw DbError(QStringLiteral("数据库“%1”缺少表“%2”：它不是本程序的数据库，或者已经损坏。")
                              .arg(connection.path(), name));
    }
}

// SQLite gives a new row the key after the highest one in the table, so after the rows with
// the highest keys are deleted their keys come back. A recordset opened before then would
// take the new row for the deleted one. The triggers remember the highest key deleted and
// move a row that would reuse one past it.
// The bookkeeping table with a row and two triggers for every table.
static bool hasCompleteRowMarks(Connection& connection)
{
    if (!connection.hasRowMarks())
        return false;
    Statement marks(connection.handle(), QStringLiteral("SELECT count(*) FROM marquel_row_marks"));
    marks.step();
    Statement triggers(connection.handle(),
                       QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'marquel\\_%' ESCAPE '\\'"));
    triggers.step();
    const qint64 tables = tableNames().size();
    return marks.int64At(0) >= tables && triggers.int64At(0) >= 2 * tables;
}

void ensureRowMarks(Connection& connection)
{
    // Written only when missing: a database that cannot be written opens all the same.
    if (hasCompleteRowMarks(connection) || connection.isReadOnly())
        return;
    QString script = QStringLiteral(
        "CREATE TABLE IF NOT EXISTS marquel_row_marks (table_name TEXT PRIMARY KEY, last_key INTEGER NOT NULL);\n");
    for (const QString& table : tableNames()) {
        script += QStringLiteral(
                      "INSERT OR IGNORE INTO marquel_row_marks VALUES ('%1', 0);\n"
                      "CREATE TRIGGER IF NOT EXISTS marquel_%1_deleted AFTER DELETE ON \"%1\" BEGIN\n"
                      "  UPDATE marquel_row_marks SET last_key = OLD.rowid WHERE table_name = '%1' AND last_key < OLD.rowid;\n"
                      "END;\n"
                      "CREATE TRIGGER IF NOT EXISTS marquel_%1_added AFTER INSERT ON \"%1\"\n"
                      "WHEN NEW.rowid <= (SELECT last_key FROM marquel_row_marks WHERE table_name = '%1') BEGIN\n"
                      "  UPDATE \"%1\" SET rowid = (SELECT last_key FROM marquel_row_marks WHERE table_name = '%1') + 1\n"
                      "  WHERE rowid = NEW.rowid;\n"
                      "END;\n")
                      .arg(table);
    }
    Transaction transaction(connection);
    connection.executeScript(script);
    transaction.commit();
    connection.forgetRowMarks();
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
        ensureRowMarks(*connection);
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
