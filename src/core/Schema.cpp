#include "Schema.h"

#include "Connection.h"
#include "DbError.h"
#include "SchemaVersion.h"
#include "Statement.h"
#include "Transaction.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace Schema {

QString script()
{
    static const QString text = QString::fromUtf8(
#include "schema_sql.inc"
    );
    return text;
}

QString serverScript()
{
    static const QRegularExpression createTable(QStringLiteral("^CREATE TABLE (\\w+) \\($"));
    static const QRegularExpression column(QStringLiteral("^\\s*\"([^\"]+)\"\\s+(\\w+(?:\\(\\d+\\))?)(.*?)(,?)$"));
    static const QRegularExpression insertInto(QStringLiteral("^INSERT INTO (\\w+) "));
    QString out = QStringLiteral("CREATE EXTENSION IF NOT EXISTS citext;\n");
    QString comments;
    QString table;
    for (const QString& line : script().split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("--")) || line.trimmed().isEmpty())
            continue;
        const auto created = createTable.match(line);
        const auto field = column.match(line);
        if (created.hasMatch()) {
            table = created.captured(1);
            out += QStringLiteral("CREATE TABLE \"%1\" (\n").arg(table);
        } else if (field.hasMatch()) {
            const QString declared = field.captured(2);
            QString rest = field.captured(3);
            rest.remove(QStringLiteral("COLLATE NOCASE"));
            QString type = QStringLiteral("citext");
            if (declared == QLatin1String("INTEGER"))
                type = QStringLiteral("bigint");
            else if (declared == QLatin1String("DATE"))
                type = QStringLiteral("date");
            out += QStringLiteral("    \"%1\" %2 %3,\n").arg(field.captured(1), type, rest.trimmed());
            comments += QStringLiteral("COMMENT ON COLUMN \"%1\".\"%2\" IS '%3';\n").arg(table, field.captured(1), declared);
        } else if (line.startsWith(QLatin1String(");"))) {
            out += QStringLiteral("    rowid bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY\n);\n");
        } else {
            QString statement = line;
            statement.replace(insertInto, QStringLiteral("INSERT INTO \"\\1\" "));
            out += statement + QLatin1Char('\n');
        }
    }
    return out + comments;
}

const QStringList& tableNames()
{
    static const QStringList names{QStringLiteral("planTable"), QStringLiteral("marketingComment"),
                                   QStringLiteral("feedbackTable"), QStringLiteral("clientTableInfo"),
                                   QStringLiteral("productDF")};
    return names;
}

QStringList tablesIn(Connection& connection)
{
    QStringList present;
    for (const Connection::TableInfo& table : connection.tables())
        present << table.name;
    return present;
}

bool hasMainTables(Connection& connection)
{
    const QStringList present = tablesIn(connection);
    for (const QString& name : tableNames())
        if (!present.contains(name))
            return false;
    return true;
}

bool hasNoMainTables(Connection& connection)
{
    const QStringList present = tablesIn(connection);
    for (const QString& name : tableNames())
        if (present.contains(name))
            return false;
    return true;
}

void createTables(Connection& connection)
{
    {
        Transaction transaction(connection);
        connection.executeScript(connection.isServer() ? serverScript() : script());
        SchemaVersion::store(connection, SchemaVersion::current());
        transaction.commit();
    }
    ensureRowMarks(connection);
}

void checkMainDatabase(Connection& connection)
{
    const QStringList present = tablesIn(connection);
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
    Statement marks(connection, QStringLiteral("SELECT count(*) FROM marquel_row_marks"));
    marks.step();
    Statement triggers(connection,
                       QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger' AND name LIKE 'marquel\\_%' ESCAPE '\\'"));
    triggers.step();
    const qint64 tables = tableNames().size();
    return marks.int64At(0) >= tables && triggers.int64At(0) >= 2 * tables;
}

void ensureRowMarks(Connection& connection)
{
    // Written only when missing: a database that cannot be written opens all the same. A
    // server never hands out a key twice by itself.
    if (connection.isServer() || hasCompleteRowMarks(connection) || connection.isReadOnly())
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

void ensureIndexes(Connection& connection)
{
    if (connection.isReadOnly())
        return;
    QString indexes;
    for (const QString& line : script().split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("CREATE INDEX")))
            indexes += line + QLatin1Char('\n');
    try {
        connection.executeScript(indexes);
    } catch (const DbError&) {
        // Reading stays right without them, only slower.
    }
}

void createMainDatabase(const QString& path)
{
    if (QFileInfo::exists(path))
        throw DbError(QStringLiteral("文件“%1”已存在。").arg(path));
    try {
        auto connection = Connection::create(path);
        createTables(*connection);
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
