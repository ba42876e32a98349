#include "PgConnection.h"

#include "DbError.h"
#include "PgConnectProblem.h"
#include "PgFlight.h"
#include "PgStatement.h"
#include "PgValues.h"
#include "ServerAddress.h"
#include "SqlText.h"
#include "Statement.h"

#include <QRegularExpression>
#include <libpq-fe.h>

namespace {

// The key of the advisory lock every write holds ("Marq").
constexpr qint64 WriteLockKey = 0x4D617271;

QString serverText(const char* text)
{
    return QString::fromUtf8(text).trimmed();
}

// A right the role lacks, named with what the server's administrator grants for it. The
// server names the object it refused ("permission denied for table clientTableInfo").
DbError missingRight(const QString& detail, const QString& role, const QString& database)
{
    static const QRegularExpression refused(QStringLiteral("^permission denied for (table|view|sequence|schema|database) (.+)$"));
    const auto match = refused.match(detail);
    const QString kind = match.captured(1);
    const QString object = match.captured(2);
    const QString what = QStringLiteral("数据库用户“%1”没有").arg(role);
    const QString ask = QStringLiteral("。请数据库管理员执行：");
    if (kind == QLatin1String("table") || kind == QLatin1String("view") || kind == QLatin1String("sequence"))
        return DbError(what + QStringLiteral("读写表“%1”的权限（SELECT、INSERT、UPDATE、DELETE）").arg(object) + ask
                           + QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO \"%1\";")
                                 .arg(role),
                       StoreFailure::NoRight);
    if (kind == QLatin1String("schema"))
        return DbError(what + QStringLiteral("在模式“%1”中建表的权限（CREATE）").arg(object) + ask
                           + QStringLiteral("GRANT USAGE, CREATE ON SCHEMA %1 TO \"%2\";").arg(object, role),
                       StoreFailure::NoRight);
    if (kind == QLatin1String("database") || detail.contains(QLatin1String("extension")))
        return DbError(what + QStringLiteral("在数据库“%1”中建立程序所需部分的权限（CREATE）").arg(database) + ask
                           + QStringLiteral("GRANT CREATE ON DATABASE \"%1\" TO \"%2\";").arg(database, role),
                       StoreFailure::NoRight);
    return DbError(what + QStringLiteral("这样做的权限，请数据库管理员授予。（%1）").arg(detail), StoreFailure::NoRight);
}

// The server's words for a statement it cannot run, in the program's language; the
// statement's text is never part of it.
DbError failure(const pg_result* result, const QString& connectionMessage, const QString& role, const QString& database)
{
    const QString state = QString::fromLatin1(result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr);
    const QString detail = result ? serverText(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY)) : connectionMessage;
    const QString cls = state.left(2);
    static const QRegularExpression quotedPart(QStringLiteral("\"([^\"]*)\""));
    const QString named = quotedPart.match(detail).captured(1);
    if (cls == QLatin1String("08") || state.isEmpty())
        return DbError::of(StoreFailure::ConnectionLost);
    if (state == QLatin1String("40P01") || state == QLatin1String("40001") || state == QLatin1String("55P03")
        || state == QLatin1String("57014"))
        return DbError::of(StoreFailure::Busy, detail);
    if (state == QLatin1String("25006"))
        return DbError::of(StoreFailure::ReadOnly);
    if (state == QLatin1String("42501"))
        return missingRight(detail, role, database);
    if (cls == QLatin1String("53"))
        return DbError::of(StoreFailure::DiskFull, detail);
    if (cls == QLatin1String("XX"))
        return DbError::of(StoreFailure::Damaged, detail);
    if (cls == QLatin1String("23"))
        return DbError::of(StoreFailure::ValueRefused, detail);
    if (cls == QLatin1String("22"))
        return DbError(QStringLiteral("数据库拒绝了这次修改：数据类型不匹配。（%1）").arg(detail), StoreFailure::ValueRefused);
    if (state == QLatin1String("42P01"))
        return DbError(QStringLiteral("数据库错误：找不到表“%1”。").arg(named), StoreFailure::Other);
    if (state == QLatin1String("42703"))
        return DbError(QStringLiteral("数据库错误：找不到字段“%1”。").arg(named), StoreFailure::Other);
    if (state == QLatin1String("42702"))
        return DbError(QStringLiteral("数据库错误：字段名“%1”不明确。").arg(named), StoreFailure::Other);
    if (state == QLatin1String("42601"))
        return DbError(QStringLiteral("数据库错误：语句有语法错误，无法执行。"), StoreFailure::Other);
    return DbError(QStringLiteral("数据库错误：语句无法执行。（%1）").arg(detail), StoreFailure::Other);
}

// How a column of the server's own type reads as a declaration the program knows.
QString declarationOfType(const QString& type)
{
    static const QRegularExpression sized(QStringLiteral("^character varying\\((\\d+)\\)$"));
    const auto match = sized.match(type);
    if (match.hasMatch())
        return QStringLiteral("TEXT(%1)").arg(match.captured(1));
    if (type == QLatin1String("bigint") || type == QLatin1String("integer") || type == QLatin1String("smallint"))
        return QStringLiteral("INTEGER");
    if (type == QLatin1String("double precision") || type == QLatin1String("real") || type.startsWith(QLatin1String("numeric")))
        return QStringLiteral("DOUBLE");
    if (type == QLatin1String("date"))
        return QStringLiteral("DATE");
    if (type.startsWith(QLatin1String("timestamp")))
        return QStringLiteral("DATETIME");
    if (type == QLatin1String("bytea"))
        return QStringLiteral("BLOB");
    if (type == QLatin1String("boolean"))
        return QStringLiteral("BIT");
    return QStringLiteral("TEXT");
}

// A column default as the server shows it ('x'::citext, 0): the value itself.
QVariant defaultValueOf(const QVariant& expression)
{
    if (expression.isNull())
        return QVariant();
    QString text = expression.toString().trimmed();
    static const QRegularExpression cast(QStringLiteral("::[a-z ]+(\\(\\d+\\))?$"));
    text.remove(cast);
    return FieldInfo::defaultFromDeclaration(text);
}

} // namespace

PgConnection::PgConnection(pg_conn* conn, const QString& uri)
    : Connection(withoutPassword(uri)), conn_(conn)
{
}

PgConnection::~PgConnection()
{
    forgetCatalog();
    PQfinish(conn_);
}

QString PgConnection::withoutPassword(const QString& uri)
{
    return ServerAddress::withoutPassword(uri);
}

std::shared_ptr<Connection> PgConnection::open(const QString& uri)
{
    const QByteArray text = uri.toUtf8();
    pg_conn* conn = PQconnectdb(text.constData());
    if (!conn || PQstatus(conn) != CONNECTION_OK) {
        // libpq quotes an address it cannot read, password and all.
        const QString detail = ServerAddress::withoutPasswordsOf(uri, conn ? serverText(PQerrorMessage(conn)) : QString());
        PQfinish(conn);
        throw DbError(PgConnectProblem::describe(detail, withoutPassword(uri)), StoreFailure::CannotOpen);
    }
    std::shared_ptr<PgConnection> connection(new PgConnection(conn, uri));
    connection->startSession();
    return connection;
}

// What a seat's connection is set to, at its start and again after a reconnection.
void PgConnection::startSession()
{
    PQsetClientEncoding(conn_, "UTF8");
    // The server's notices ("…does not exist, skipping") are not for the user.
    PQsetNoticeProcessor(conn_, [](void*, const char*) {}, nullptr);
    // Dates read as yyyy-MM-dd, as they are kept on the file; a writer waits for the write
    // lock as long as a writer on the file does at most, then says the database is busy.
    PGresult* setting = PQexec(conn_, "SET datestyle = 'ISO, YMD'; SET lock_timeout = '5s'; "
                                      "SET standard_conforming_strings = on; SELECT current_setting('transaction_read_only')");
    check(setting);
    readOnly_ = QByteArray(PQgetvalue(setting, 0, 0)) == "on";
    PQclear(setting);
    if (!readOnly_) {
        // The table the checks of a write batch refuse it with (see WriteBatch).
        const QByteArray refusals = WriteBatch::refusalTableStatement().toUtf8();
        PGresult* made = PQexec(conn_, refusals.constData());
        canRefuse_ = PQresultStatus(made) == PGRES_COMMAND_OK;
        PQclear(made);
    }
}

void PgConnection::reconnectIfLost()
{
    if (inTransaction())
        return;
    PQconsumeInput(conn_);   // learns of a connection the server closed meanwhile
    if (PQstatus(conn_) == CONNECTION_OK)
        return;
    PQreset(conn_);
    if (PQstatus(conn_) != CONNECTION_OK)
        throw DbError(QStringLiteral("与数据库服务器的连接已断开，重新连接也没有成功，这次操作没有完成。")
                          + PgConnectProblem::describe(serverText(PQerrorMessage(conn_)), location()),
                      StoreFailure::ConnectionLost);
    ++reconnections_;
    prepared_.clear();
    seen_.clear();
    preparedStale_ = false;
    startSession();
    for (const QString& channel : std::as_const(listening_))
        run(QByteArray("LISTEN " + SqlText::quoteName(channel).toUtf8()).constData());
}

QByteArray PgConnection::flightStatementName(const QByteArray& key, bool* prepareFirst)
{
    constexpr int MostPrepared = 300;
    *prepareFirst = false;
    const auto known = prepared_.constFind(key);
    if (known != prepared_.constEnd())
        return *known;
    if (prepared_.size() >= MostPrepared)
        return QByteArray();   // sent whole
    *prepareFirst = true;
    return "marquel_f" + QByteArray::number(++flightNames_);
}

const PgDialect::Translated& PgConnection::translated(const QString& sqliteStatement)
{
    constexpr int MostKept = 1000;
    auto known = translations_.constFind(sqliteStatement);
    if (known != translations_.constEnd())
        return *known;
    if (translations_.size() >= MostKept)
        translations_.clear();
    return *translations_.insert(sqliteStatement, PgDialect::fromSqlite(sqliteStatement));
}

void PgConnection::notePrepared(const QByteArray& sql, const QByteArray& name)
{
    prepared_.insert(sql, name);
}

DbError PgConnection::errorOf(const pg_result* result) const
{
    return failure(result, serverText(PQerrorMessage(conn_)), QString::fromUtf8(PQuser(conn_)), QString::fromUtf8(PQdb(conn_)));
}

DbError PgConnection::connectionLost() const
{
    return failure(nullptr, serverText(PQerrorMessage(conn_)), QString::fromUtf8(PQuser(conn_)), QString::fromUtf8(PQdb(conn_)));
}

QList<WriteBatch::Rows> PgConnection::runBatch(const WriteBatch& batch)
{
    if (inTransaction())
        return Connection::runBatch(batch);
    if (readOnly_)
        throw DbError::of(StoreFailure::ReadOnly);
    reconnectIfLost();
    if (!canRefuse_)
        throw DbError(QStringLiteral("数据库用户“%1”没有在数据库“%2”中建立临时表的权限，不能保存修改。"
                                     "请数据库管理员执行：GRANT TEMPORARY ON DATABASE \"%2\" TO \"%1\";")
                          .arg(QString::fromUtf8(PQuser(conn_)), QString::fromUtf8(PQdb(conn_))),
                      StoreFailure::NoRight);
    if (preparedStale_) {   // the tables changed since the statements were prepared
        PQclear(PQexec(conn_, "DEALLOCATE ALL"));
        prepared_.clear();
        preparedStale_ = false;
    }
    PgFlight flight(*this);
    flight.add(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(WriteLockKey), {});
    for (const WriteBatch::Step& step : batch.steps())
        flight.add(step.sql, step.values);
    flight.run();
    noteWrite();
    const int failedStep = flight.failedStatement() - 1;   // statement 0 is the lock
    QList<WriteBatch::Rows> results;
    for (int step = 0; step < batch.steps().size() && (failedStep < 0 || step < failedStep); ++step) {
        const pg_result* rows = flight.rows(step + 1);
        WriteBatch::Rows stepRows;
        for (int row = 0; rows && row < PQntuples(rows); ++row) {
            QVariantList values;
            for (int column = 0; column < PQnfields(rows); ++column)
                values << PgValues::valueAt(rows, row, column);
            stepRows << values;
        }
        results << stepRows;
    }
    if (flight.failedStatement() < 0)
        return results;
    const DbError error = flight.failure();
    if (failedStep >= 0 && !batch.steps()[failedStep].refusal.isEmpty() && error.kind() == StoreFailure::ValueRefused)
        throw refusalOf(batch, failedStep, results);
    throw error;
}

QString PgConnection::displayName() const
{
    QString host = QString::fromUtf8(PQhost(conn_));
    if (host.isEmpty() || host.startsWith(QLatin1Char('/')))
        host = QStringLiteral("localhost");
    return QString::fromUtf8(PQdb(conn_)) + QLatin1Char('@') + host;
}

void PgConnection::check(pg_result* result) const
{
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
        return;
    const DbError error = errorOf(result);
    PQclear(result);
    throw error;
}

void PgConnection::noteChanges(pg_result* result)
{
    const char* count = PQcmdTuples(result);
    if (count && *count)
        changes_ = atoi(count);
}

void PgConnection::run(const char* sql) const
{
    PGresult* result = PQexec(conn_, sql);
    check(result);
    PQclear(result);
}

QByteArray PgConnection::preparedNameFor(const QByteArray& sql, int parameterCount, bool now)
{
    constexpr int MostPrepared = 300;
    if (preparedStale_ && PQtransactionStatus(conn_) == PQTRANS_IDLE) {
        PQclear(PQexec(conn_, "DEALLOCATE ALL"));
        prepared_.clear();
        preparedStale_ = false;
    }
    const auto known = prepared_.constFind(sql);
    if (known != prepared_.constEnd())
        return *known;
    if (!now && (prepared_.size() >= MostPrepared || !seen_.contains(sql))) {
        if (seen_.size() > 10 * MostPrepared)
            seen_.clear();
        seen_.insert(sql, 1);
        return QByteArray();
    }
    const QByteArray name = "marquel_s" + QByteArray::number(prepared_.size() + 1);
    PGresult* result = PQprepare(conn_, name.constData(), sql.constData(), parameterCount, nullptr);
    check(result);
    PQclear(result);
    seen_.remove(sql);
    prepared_.insert(sql, name);
    return name;
}

std::unique_ptr<StatementEngine> PgConnection::prepare(const QString& sqliteStatement)
{
    return std::make_unique<PgStatement>(*this, sqliteStatement);
}

void PgConnection::executeScript(const QString& script)
{
    const QByteArray text = script.toUtf8();
    forgetCatalog();
    run(text.constData());
    noteWrite();
}

void PgConnection::beginWrite()
{
    if (readOnly_)
        throw DbError::of(StoreFailure::ReadOnly);
    reconnectIfLost();
    run("BEGIN");
    try {
        run(QByteArray("SELECT pg_advisory_xact_lock(" + QByteArray::number(WriteLockKey) + ")").constData());
    } catch (const DbError&) {
        PQclear(PQexec(conn_, "ROLLBACK"));
        throw;
    }
}

void PgConnection::beginWriteUnlocked()
{
    if (readOnly_)
        throw DbError::of(StoreFailure::ReadOnly);
    run("BEGIN");
}

void PgConnection::takeWriteLock()
{
    run(QByteArray("SELECT pg_advisory_xact_lock(" + QByteArray::number(WriteLockKey) + ")").constData());
}

void PgConnection::commitWrite()
{
    // A server undoes the whole transaction once one of its statements failed, and COMMIT then
    // ends it without storing anything: that must never read as stored.
    if (PQtransactionStatus(conn_) == PQTRANS_INERROR) {
        PQclear(PQexec(conn_, "ROLLBACK"));
        throw DbError(QStringLiteral("数据库错误：这次修改中有一步没有完成，整个修改都没有保存。"), StoreFailure::Other);
    }
    run("COMMIT");
}

void PgConnection::rollbackWrite()
{
    run("ROLLBACK");
}

qint64 PgConnection::insertRow(const QString& table, const QStringList& quotedNames, const QList<QVariant>& values)
{
    QStringList placeholders;
    for (int i = 0; i < quotedNames.size(); ++i)
        placeholders << QStringLiteral("?");
    const QString sql = quotedNames.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES RETURNING rowid").arg(SqlText::quoteName(table))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING rowid")
              .arg(SqlText::quoteName(table), quotedNames.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", ")));
    Statement statement(*this, sql);
    for (int i = 0; i < values.size(); ++i)
        statement.bind(i + 1, values[i]);
    statement.step();
    noteWrite();
    return statement.int64At(0);
}

void PgConnection::copyRows(const QString& table, const QStringList& quotedNames, const QByteArray& lines)
{
    run("SAVEPOINT marquel_copy");
    try {
        copyLines(table, quotedNames, lines);
    } catch (const DbError&) {
        // The transaction goes on without these rows, unless the connection itself is lost.
        PQclear(PQexec(conn_, "ROLLBACK TO SAVEPOINT marquel_copy; RELEASE SAVEPOINT marquel_copy"));
        throw;
    }
    run("RELEASE SAVEPOINT marquel_copy");
    noteWrite();
}

void PgConnection::copyLines(const QString& table, const QStringList& quotedNames, const QByteArray& lines)
{
    const QByteArray copy = QStringLiteral("COPY %1 (%2) FROM STDIN")
                                .arg(SqlText::quoteName(table), quotedNames.join(QStringLiteral(", ")))
                                .toUtf8();
    PGresult* started = PQexec(conn_, copy.constData());
    if (PQresultStatus(started) != PGRES_COPY_IN) {
        check(started);
        PQclear(started);
        throw DbError(QStringLiteral("数据库错误：语句无法执行。"), StoreFailure::Other);
    }
    PQclear(started);
    const bool sent = PQputCopyData(conn_, lines.constData(), int(lines.size())) == 1;
    PQputCopyEnd(conn_, sent ? nullptr : "the rows could not be sent");
    // The COPY's own result, then the end of the exchange; the first failure is thrown.
    PGresult* result = PQgetResult(conn_);
    while (PGresult* more = PQgetResult(conn_))
        PQclear(more);
    check(result);
    noteChanges(result);
    PQclear(result);
}

QList<Connection::TableInfo> PgConnection::tables() const
{
    QList<TableInfo> result;
    auto* self = const_cast<PgConnection*>(this);
    Statement statement(*self, QStringLiteral(
        "SELECT c.relname, c.relkind FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = current_schema() AND c.relkind IN ('r', 'v', 'p') ORDER BY c.oid"));
    while (statement.step()) {
        const QString name = statement.valueAt(0).toString();
        QString type = statement.valueAt(1).toString() == QLatin1String("v") ? QStringLiteral("VIEW")
                                                                             : QStringLiteral("TABLE");
        if (name.startsWith(QLatin1String("marquel_")))
            type = QStringLiteral("SYSTEM TABLE");
        result.append({name, type});
    }
    return result;
}

QList<FieldInfo> PgConnection::fields(const QString& table) const
{
    const auto known = fields_.constFind(table);
    if (known != fields_.constEnd())
        return *known;
    QList<FieldInfo> result;
    auto* self = const_cast<PgConnection*>(this);
    Statement statement(*self, QStringLiteral(
        "SELECT a.attname, coalesce(col_description(a.attrelid, a.attnum), ''), format_type(a.atttypid, a.atttypmod), "
        "pg_get_expr(d.adbin, d.adrelid) "
        "FROM pg_attribute a JOIN pg_class c ON c.oid = a.attrelid JOIN pg_namespace n ON n.oid = c.relnamespace "
        "LEFT JOIN pg_attrdef d ON d.adrelid = a.attrelid AND d.adnum = a.attnum "
        "WHERE n.nspname = current_schema() AND c.relname = ? AND a.attnum > 0 AND NOT a.attisdropped "
        "AND a.attname <> 'rowid' ORDER BY a.attnum"));
    statement.bind(1, table);
    while (statement.step()) {
        const QString declared = statement.valueAt(1).toString();
        FieldInfo field = FieldInfo::fromDeclaration(
            statement.valueAt(0).toString(), declared.isEmpty() ? declarationOfType(statement.valueAt(2).toString()) : declared);
        field.writable = true;
        field.defaultValue = defaultValueOf(statement.valueAt(3));
        result.append(field);
    }
    if (result.isEmpty())
        throw DbError(QStringLiteral("找不到表“%1”。").arg(table));
    fields_.insert(table, result);
    return result;
}

QString PgConnection::declarationOf(unsigned tableOid, int column) const
{
    if (tableOid == InvalidOid || column <= 0)
        return QString();
    const QPair<unsigned, int> key(tableOid, column);
    const auto known = declarations_.constFind(key);
    if (known != declarations_.constEnd())
        return *known;
    // Every column of the table at once: a recordset asks for all of them.
    auto* self = const_cast<PgConnection*>(this);
    Statement statement(*self, QStringLiteral(
        "SELECT attnum, coalesce(col_description(attrelid, attnum), ''), format_type(atttypid, atttypmod) "
        "FROM pg_attribute WHERE attrelid = ? AND attnum > 0"));
    statement.bind(1, qint64(tableOid));
    while (statement.step()) {
        QString declared = statement.valueAt(1).toString();
        if (declared.isEmpty())
            declared = declarationOfType(statement.valueAt(2).toString());
        declarations_.insert(QPair<unsigned, int>(tableOid, int(statement.int64At(0))), declared);
    }
    return declarations_.value(key);
}

void PgConnection::forgetCatalog()
{
    declarations_.clear();
    fields_.clear();
    for (pg_result* shape : std::as_const(shapes_))
        PQclear(shape);
    shapes_.clear();
    // Prepared statements may name what changed; they are prepared again when run again.
    preparedStale_ = !prepared_.isEmpty();
}

const pg_result* PgConnection::knownShape(const QByteArray& sql) const
{
    return shapes_.value(sql, nullptr);
}

void PgConnection::keepShape(const QByteArray& sql, const pg_result* rows)
{
    if (!rows || shapes_.contains(sql))
        return;
    shapes_.insert(sql, PQcopyResult(rows, PG_COPYRES_ATTRS));
}

void PgConnection::listen(const QString& channel)
{
    if (!listening_.contains(channel))
        listening_ << channel;
    run(QByteArray("LISTEN " + SqlText::quoteName(channel).toUtf8()).constData());
}

void PgConnection::notify(const QString& channel, const QString& payload)
{
    Statement statement(*this, QStringLiteral("SELECT pg_notify(?, ?)"));
    statement.bind(1, channel);
    statement.bind(2, payload);
    statement.step();
}

QStringList PgConnection::takeNotifications()
{
    QStringList payloads;
    if (PQconsumeInput(conn_) == 0)
        throw DbError(QStringLiteral("与数据库服务器的连接已断开。（%1）").arg(serverText(PQerrorMessage(conn_))), StoreFailure::ConnectionLost);
    const int ownProcess = PQbackendPID(conn_);
    while (PGnotify* notice = PQnotifies(conn_)) {
        if (notice->be_pid != ownProcess)
            payloads << QString::fromUtf8(notice->extra);
        PQfreemem(notice);
    }
    return payloads;
}

int PgConnection::notificationSocket() const
{
    return PQsocket(conn_);
}
