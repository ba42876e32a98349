#include "SqliteDestination.h"

#include "Connection.h"
#include "DbError.h"
#include "JetDialect.h"
#include "SelectStatement.h"
#include "Statement.h"
#include "Transaction.h"

#include <QFileInfo>
#include <QStringList>
#include <sqlite3.h>

namespace {

const QString AttachedName = QStringLiteral("marquel_export");

QString quotedName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

void run(sqlite3* db, const QString& sql)
{
    Statement statement(db, sql);
    while (statement.step()) {
    }
}

// Detaches the destination file again whatever happens while writing to it.
class Attachment {
public:
    Attachment(sqlite3* db, const QString& path)
        : db_(db)
    {
        Statement attach(db_, QStringLiteral("ATTACH DATABASE ?1 AS ") + AttachedName);
        attach.bind(1, path);
        attach.step();
    }
    ~Attachment()
    {
        try {
            run(db_, QStringLiteral("DETACH DATABASE ") + AttachedName);
        } catch (const DbError&) {
        }
    }

private:
    sqlite3* db_;
};

bool tableExists(sqlite3* db, const QString& schema, const QString& table)
{
    Statement statement(db, QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type = 'table' AND name = ?1")
                                .arg(schema));
    statement.bind(1, table);
    return statement.step();
}

QString columnDeclarations(sqlite3* db, const QString& sourceQuery)
{
    Statement statement(db, sourceQuery);
    QStringList columns;
    for (int i = 0; i < statement.columnCount(); ++i) {
        QString type = statement.declaredType(i);
        QString declaration = quotedName(statement.columnName(i));
        if (!type.isEmpty())
            declaration += QLatin1Char(' ') + type;
        if (type.toUpper().contains(QLatin1String("TEXT")) || type.toUpper().contains(QLatin1String("CHAR")))
            declaration += QStringLiteral(" COLLATE NOCASE");
        columns << declaration;
    }
    return columns.join(QStringLiteral(", "));
}

} // namespace

int SqliteDestination::write(Connection& source, const SelectIntoStatement& statement)
{
    sqlite3* db = source.handle();
    if (statement.table.trimmed().isEmpty())
        throw DbError(QStringLiteral("表名不能为空。"));
    const QString sourceQuery = JetDialect::toSqlite(statement.sourceQuery);

    std::unique_ptr<Attachment> attachment;
    QString schema = QStringLiteral("main");
    if (!statement.database.isEmpty()) {
        if (!QFileInfo::exists(statement.database))
            throw DbError(QStringLiteral("找不到文件“%1”。").arg(statement.database));
        attachment = std::make_unique<Attachment>(db, statement.database);
        schema = AttachedName;
    }
    if (tableExists(db, schema, statement.table))
        throw DbError(QStringLiteral("表“%1”已存在。").arg(statement.table));

    const QString target = schema + QLatin1Char('.') + quotedName(statement.table);
    // The new table and its rows arrive together or not at all.
    Transaction transaction(source);
    run(db, QStringLiteral("CREATE TABLE %1 (%2)").arg(target, columnDeclarations(db, sourceQuery)));
    run(db, QStringLiteral("INSERT INTO %1 %2").arg(target, sourceQuery));
    const int written = sqlite3_changes(db);
    transaction.commit();
    return written;
}
