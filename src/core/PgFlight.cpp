#include "PgFlight.h"

#include "DbError.h"
#include "PgConnection.h"
#include "PgDialect.h"
#include "StatementLog.h"
#include "PgValues.h"

#include <libpq-fe.h>
#include <sqlite3.h>

PgFlight::PgFlight(PgConnection& connection)
    : connection_(connection)
{
}

PgFlight::~PgFlight()
{
    for (pg_result* result : std::as_const(results_))
        PQclear(result);
    PQclear(failure_);
}

int PgFlight::add(const QString& sqliteStatement, const QVariantList& values)
{
    const PgDialect::Translated translated = connection_.translated(sqliteStatement);
    StatementLog::note(true, sqliteStatement);
    Queued statement;
    statement.sql = translated.sql.toUtf8();
    QByteArray typeNames;
    for (int i = 0; i < translated.parameterCount; ++i) {
        statement.values << PgValues::parameter(values.value(i));
        statement.types << PgValues::typeOf(values.value(i));
        typeNames += ' ' + QByteArray::number(statement.types.last());
    }
    // A statement is prepared for the types of its values: the same text with other types is
    // another prepared statement.
    const QByteArray key = statement.sql + "\n--" + typeNames;
    for (const Queued& earlier : std::as_const(queued_))
        if (earlier.key == key)
            statement.name = earlier.name;   // the same text twice in one flight is prepared once
    if (statement.name.isEmpty())
        statement.name = connection_.flightStatementName(key, &statement.prepareFirst);
    statement.key = key;
    queued_ << statement;
    return int(queued_.size()) - 1;
}

void PgFlight::run()
{
    pg_conn* conn = connection_.handle();
    if (PQenterPipelineMode(conn) != 1)
        throw connection_.connectionLost();
    try {
        send();
        receive();
    } catch (...) {
        PQexitPipelineMode(conn);
        throw;
    }
    PQexitPipelineMode(conn);
}

// Statements not yet prepared are prepared in the same flight, before any of them runs: the
// server parses and plans them outside the transaction's locks.
void PgFlight::send()
{
    pg_conn* conn = connection_.handle();
    for (const Queued& statement : std::as_const(queued_)) {
        if (statement.prepareFirst
            && !PQsendPrepare(conn, statement.name.constData(), statement.sql.constData(), int(statement.types.size()),
                              statement.types.constData()))
            throw connection_.connectionLost();
    }
    for (const Queued& statement : std::as_const(queued_)) {
        QList<const char*> pointers;
        for (const auto& value : statement.values)
            pointers << (value ? value->constData() : nullptr);
        const int sent = statement.name.isEmpty()
            ? PQsendQueryParams(conn, statement.sql.constData(), int(pointers.size()), statement.types.constData(),
                                pointers.constData(), nullptr, nullptr, 0)
            : PQsendQueryPrepared(conn, statement.name.constData(), int(pointers.size()), pointers.constData(), nullptr,
                                  nullptr, 0);
        if (!sent)
            throw connection_.connectionLost();
    }
    if (!PQpipelineSync(conn))
        throw connection_.connectionLost();
}

pg_result* PgFlight::nextResult()
{
    pg_result* result = PQgetResult(connection_.handle());
    // Each statement's result is followed by a null that closes it.
    if (result && PQresultStatus(result) != PGRES_PIPELINE_SYNC)
        while (pg_result* extra = PQgetResult(connection_.handle()))
            PQclear(extra);
    return result;
}

void PgFlight::receive()
{
    const auto keepFailure = [this](pg_result* result, int index) {
        if (failed_ < 0 && PQresultStatus(result) == PGRES_FATAL_ERROR) {
            failed_ = index;
            failure_ = result;
            return true;
        }
        return false;
    };
    for (int i = 0; i < queued_.size(); ++i) {
        if (!queued_[i].prepareFirst)
            continue;
        pg_result* prepared = nextResult();
        if (!prepared)
            throw connection_.connectionLost();
        if (PQresultStatus(prepared) == PGRES_COMMAND_OK)
            connection_.notePrepared(queued_[i].key, queued_[i].name);
        if (!keepFailure(prepared, i))
            PQclear(prepared);
    }
    for (int i = 0; i < queued_.size(); ++i) {
        pg_result* result = nextResult();
        if (!result)
            throw connection_.connectionLost();
        if (keepFailure(result, i)) {
            results_ << nullptr;
            continue;
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            connection_.noteChanges(result);
        results_ << result;
    }
    pg_result* sync = nextResult();
    const bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
    PQclear(sync);
    if (!synced)
        throw connection_.connectionLost();
}

DbError PgFlight::failure() const
{
    return connection_.errorOf(failure_);
}

const pg_result* PgFlight::rows(int index) const
{
    return index >= 0 && index < results_.size() ? results_[index] : nullptr;
}
