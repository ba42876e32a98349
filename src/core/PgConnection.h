#pragma once

#include "Connection.h"
#include "PgDialect.h"

#include <QHash>
#include <QPair>

struct pg_conn;
struct pg_result;

// A PostgreSQL database on a server, shared by the seats of a department. Every table has a
// hidden identity column `rowid` (never reused) that grids do not show; texts are citext, so
// they compare without regard to letter case as on the file; the write lock is an advisory
// lock held by each write's transaction, so writers take turns as on the file.
class PgConnection : public Connection {
public:
    static std::shared_ptr<Connection> open(const QString& uri);
    // The URI with any password left out, as it may be shown and remembered.
    static QString withoutPassword(const QString& uri);

    ~PgConnection() override;

    QString displayName() const override;
    bool isServer() const override { return true; }
    bool isReadOnly() const override { return readOnly_; }
    void executeScript(const QString& script) override;
    int changes() const override { return changes_; }
    qint64 insertRow(const QString& table, const QStringList& quotedNames, const QList<QVariant>& values) override;
    QList<TableInfo> tables() const override;
    QList<FieldInfo> fields(const QString& table) const override;
    std::unique_ptr<StatementEngine> prepare(const QString& sqliteStatement) override;
    // One flight: the write lock, the batch's statements and their results in one round trip, the
    // lock held only while the server runs them.
    QList<WriteBatch::Rows> runBatch(const WriteBatch& batch) override;

    void listen(const QString& channel) override;
    void notify(const QString& channel, const QString& payload) override;
    QStringList takeNotifications() override;
    int notificationSocket() const override;

    // Appends rows to a table in one COPY under a savepoint: `lines` are the rows in COPY's
    // text form, each ended by a newline. Throws DbError as a statement does; the rows are then
    // undone and the transaction goes on.
    void copyRows(const QString& table, const QStringList& quotedNames, const QByteArray& lines);

    // For PgStatement.
    pg_conn* handle() const { return conn_; }
    // Throws DbError for a failed result (and frees it).
    void check(pg_result* result) const;
    void noteChanges(pg_result* result);
    // The name under which a statement text is prepared on the server: a text run a second
    // time is prepared then and stays prepared (up to a few hundred texts), so the server
    // plans it once. Empty when the text is not prepared (yet); `now` prepares it at once.
    QByteArray preparedNameFor(const QByteArray& sql, int parameterCount, bool now = false);
    // A statement written the SQLite way as the server takes it, translated once per text.
    const PgDialect::Translated& translated(const QString& sqliteStatement);
    // For PgFlight: the name a statement runs under in a flight, and whether the flight must
    // prepare it first (it may not, when too many are prepared: it is then sent whole).
    QByteArray flightStatementName(const QByteArray& key, bool* prepareFirst);
    void notePrepared(const QByteArray& sql, const QByteArray& name);
    // What a failed result means for the user.
    DbError errorOf(const pg_result* result) const;
    // What a seat is told when its connection was lost during an action.
    DbError connectionLost() const;

    // A connection the server closed (a restart, an administrator ending it, a cut) is opened
    // again before the next action, with what the seat listened to; an action already under way
    // fails and is reported as not done. Not inside a transaction: that ends with the connection.
    // Throws DbError when the server cannot be reached.
    void reconnectIfLost();
    int reconnections() const override { return reconnections_; }

    // The declared type of a table's column ("TEXT(50)", "INTEGER" …); "" for an expression.
    QString declarationOf(unsigned tableOid, int column) const;
    // After a statement that may change tables: what was learnt of them is read again.
    void forgetCatalog();
    // The columns a query's rows have, as learnt when it last ran; nullptr when not known.
    const pg_result* knownShape(const QByteArray& sql) const;
    void keepShape(const QByteArray& sql, const pg_result* rows);

protected:
    void beginWrite() override;
    void commitWrite() override;
    void rollbackWrite() override;
    void beginWriteUnlocked() override;
    void takeWriteLock() override;

private:
    PgConnection(pg_conn* conn, const QString& uri);
    void run(const char* sql) const;
    void startSession();
    void copyLines(const QString& table, const QStringList& quotedNames, const QByteArray& lines);

    pg_conn* conn_;
    bool readOnly_ = false;
    int changes_ = 0;
    QHash<QByteArray, QByteArray> prepared_;   // statement text → its name on the server
    QHash<QByteArray, int> seen_;              // statement texts run once, not prepared
    bool preparedStale_ = false;               // tables changed since they were prepared
    mutable QHash<QPair<unsigned, int>, QString> declarations_;
    mutable QHash<QString, QList<FieldInfo>> fields_;
    QHash<QByteArray, pg_result*> shapes_;
    QStringList listening_;   // channels to listen to again after a reconnection
    int reconnections_ = 0;
    int flightNames_ = 0;
    bool canRefuse_ = true;   // the session has the table a write batch's checks refuse it with
    QHash<QString, PgDialect::Translated> translations_;   // names handed to statements a flight prepares
};
