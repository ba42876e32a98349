#include "PgStatement.h"

#include "DbError.h"
#include "PgConnection.h"
#include "PgDialect.h"
#include "PgValues.h"

#include <QDate>
#include <QDateTime>
#include <libpq-fe.h>
#include <sqlite3.h>


PgStatement::PgStatement(PgConnection& connection, const QString& sqliteStatement)
    : connection_(connection)
{
    const PgDialect::Translated translated = PgDialect::fromSqlite(sqliteStatement);
    sql_ = translated.sql.toUtf8();
    values_.resize(translated.parameterCount);
    const QString start = sqliteStatement.trimmed().left(6).toUpper();
    changesTables_ = start.startsWith(QLatin1String("CREATE")) || start.startsWith(QLatin1String("DROP"))
        || start.startsWith(QLatin1String("ALTER"));
    reads_ = start.startsWith(QLatin1String("SELECT"));
}

PgStatement::~PgStatement()
{
    PQclear(result_);
    PQclear(description_);
}

std::optional<QByteArray>& PgStatement::parameter(int index)
{
    if (index < 1 || index > values_.size())
        throw DbError(QStringLiteral("数据库错误：参数序号 %1 超出范围。").arg(index));
    return values_[index - 1];
}

void PgStatement::bind(int index, const QVariant& value)
{
    parameter(index) = PgValues::parameter(value);
}

void PgStatement::bindUtf8(int index, QByteArrayView text)
{
    parameter(index) = PgValues::textParameter(text.toByteArray());
}

pg_result* PgStatement::execute()
{
    connection_.reconnectIfLost();
    QVector<const char*> pointers(values_.size());
    for (int i = 0; i < values_.size(); ++i)
        pointers[i] = values_[i] ? values_[i]->constData() : nullptr;
    const QByteArray prepared = connection_.preparedNameFor(sql_, int(values_.size()));
    return prepared.isEmpty()
        ? PQexecParams(connection_.handle(), sql_.constData(), int(values_.size()), nullptr, pointers.constData(), nullptr,
                       nullptr, 0)
        : PQexecPrepared(connection_.handle(), prepared.constData(), int(values_.size()), pointers.constData(), nullptr,
                         nullptr, 0);
}

void PgStatement::run()
{
    PGresult* result = execute();
    // A reading cut by a lost connection is read again on a new one: it changed nothing. A write
    // is not sent twice; it is reported as not done.
    if (PQstatus(connection_.handle()) == CONNECTION_BAD && reads_ && !connection_.inTransaction()) {
        PQclear(result);
        result = execute();
    }
    if (changesTables_)
        connection_.forgetCatalog();
    connection_.check(result);
    connection_.noteChanges(result);
    result_ = result;
    row_ = -1;
    ran_ = true;
}

bool PgStatement::step()
{
    if (!ran_)
        run();
    if (!result_ || PQresultStatus(result_) != PGRES_TUPLES_OK)
        return false;
    if (row_ < PQntuples(result_))
        ++row_;
    return row_ < PQntuples(result_);
}

void PgStatement::reset()
{
    PQclear(result_);
    result_ = nullptr;
    ran_ = false;
    row_ = -1;
    for (auto& value : values_)
        value.reset();
}

const pg_result* PgStatement::shape() const
{
    if (result_)
        return result_;
    // The description of a query asked before is known; otherwise the query is simply run:
    // its rows come with their description, in one exchange.
    if (reads_) {
        if (const pg_result* known = connection_.knownShape(sql_))
            return known;
        const_cast<PgStatement*>(this)->run();
        connection_.keepShape(sql_, result_);
        return result_;
    }
    if (!description_) {
        const QByteArray name = connection_.preparedNameFor(sql_, int(values_.size()), true);
        description_ = PQdescribePrepared(connection_.handle(), name.constData());
        connection_.check(description_);
    }
    return description_;
}

int PgStatement::columnCount() const
{
    return PQnfields(shape());
}

QString PgStatement::columnName(int column) const
{
    return QString::fromUtf8(PQfname(shape(), column));
}

QString PgStatement::declaredType(int column) const
{
    const pg_result* rows = shape();
    return connection_.declarationOf(PQftable(rows, column), PQftablecol(rows, column));
}

QVariant PgStatement::valueAt(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_))
        return QVariant();
    return PgValues::valueAt(result_, row_, column);
}

QByteArrayView PgStatement::utf8At(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, column))
        return {};
    if (!PgValues::isTextColumn(result_, column))
        return {};   // valueAt gives it as a number or bytes
    return QByteArrayView(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
}

qint64 PgStatement::int64At(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, column))
        return 0;
    return strtoll(PQgetvalue(result_, row_, column), nullptr, 10);
}
