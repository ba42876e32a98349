#include "ExportDatabaseDestination.h"

#include "SourceRows.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"
#include "core/SelectStatement.h"
#include "core/Statement.h"
#include "core/Transaction.h"

#include <QFileInfo>
#include <QStringList>

namespace {

const QString AttachedName = QStringLiteral("marquel_export_db");

QString quotedName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

void run(Connection& connection, const QString& sql)
{
    Statement statement(connection.handle(), sql);
    while (statement.step()) {
    }
}

// The export database is attached to the program's connection while the rows are
// copied, and detached again whatever happens.
class Attachment {
public:
    Attachment(Connection& connection, const QString& path)
        : connection_(connection)
    {
        Statement attach(connection_.handle(), QStringLiteral("ATTACH DATABASE ?1 AS ") + AttachedName);
        attach.bind(1, path);
        attach.step();
    }
    ~Attachment()
    {
        try {
            run(connection_, QStringLiteral("DETACH DATABASE ") + AttachedName);
        } catch (const DbError&) {
        }
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

private:
    Connection& connection_;
};

// Table names of the store compare without regard to letter case.
bool tableExists(Connection& connection, const QString& schema, const QString& table)
{
    Statement statement(connection.handle(),
                        QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE type IN ('table', 'view') "
                                       "AND lower(name) = lower(?1)").arg(schema));
    statement.bind(1, table);
    return statement.step();
}

QString columnDeclarations(const QList<FieldInfo>& fields)
{
    QStringList columns;
    for (const FieldInfo& field : fields) {
        QString declaration = quotedName(field.name);
        if (!field.declaredType.isEmpty())
            declaration += QLatin1Char(' ') + field.declaredType;
        if (field.kind == FieldInfo::Kind::Text || field.kind == FieldInfo::Kind::LongText)
            declaration += QStringLiteral(" COLLATE NOCASE");
        columns << declaration;
    }
    return columns.join(QStringLiteral(", "));
}

QString insertStatement(const QString& target, int columnCount)
{
    QStringList marks;
    for (int i = 0; i < columnCount; ++i)
        marks << QStringLiteral("?");
    return QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(target, marks.join(QStringLiteral(", ")));
}

} // namespace

int ExportDatabaseDestination::write(Connection& source, const SelectIntoStatement& statement)
{
    if (statement.table.trimmed().isEmpty())
        throw DbError(QStringLiteral("表名不能为空。"));

    std::unique_ptr<Attachment> attachment;
    QString schema = QStringLiteral("main");
    if (!statement.database.isEmpty()) {
        if (!QFileInfo::exists(statement.database))
            Schema::ensureExportDatabase(statement.database);
        attachment = std::make_unique<Attachment>(source, statement.database);
        schema = AttachedName;
    }
    if (tableExists(source, schema, statement.table))
        throw DbError(QStringLiteral("表“%1”已存在。").arg(statement.table));

    const QString target = schema + QLatin1Char('.') + quotedName(statement.table);
    int written = 0;
    {
        Transaction transaction(source);
        SourceRows rows(source, statement.sourceQuery);
        const QList<FieldInfo>& fields = rows.fields();
        run(source, QStringLiteral("CREATE TABLE %1 (%2)").arg(target, columnDeclarations(fields)));
        Statement insert(source.handle(), insertStatement(target, int(fields.size())));
        while (rows.next()) {
            for (int c = 0; c < fields.size(); ++c)
                insert.bind(c + 1, rows.storedValue(c));
            insert.step();
            insert.reset();
            reportRow(++written);
        }
        transaction.commit();
    }
    return written;
}
