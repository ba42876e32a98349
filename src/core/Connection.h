#pragma once

#include "FieldInfo.h"
#include "WriteBatch.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

class DbError;
class StatementEngine;
struct sqlite3;

// One open database: runs statement texts, lists tables and their fields. A database is a
// SQLite file (one person, the file beside the program) or a PostgreSQL database on a server
// (a department's seats sharing one campaign); everything that differs between the two stays
// behind this interface.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    struct TableInfo {
        QString name;
        QString type;   // "TABLE", "VIEW" or "SYSTEM TABLE"
    };

    // Opens an existing database: a file path, or a server's URI "postgresql://…" (host, port,
    // dbname, user; the password comes from ~/.pgpass or PGPASSWORD). Throws DbError.
    static std::shared_ptr<Connection> open(const QString& location);
    // Whether a location names a database on a server rather than a file.
    static bool isServerLocation(const QString& location);
    // Opens an existing database file for reading only: every write is refused.
    static std::shared_ptr<Connection> openReadOnly(const QString& path);
    // Opens the file, creating an empty database when there is none.
    static std::shared_ptr<Connection> create(const QString& path);
    static std::shared_ptr<Connection> openInMemory();
    // A private database in a temporary file, removed when it is closed: for data too big to
    // hold in memory, of which only a small cache stays in memory.
    static std::shared_ptr<Connection> openTemporary();

    virtual ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The file's path, or the server's URI without any password.
    QString path() const { return location_; }
    QString location() const { return location_; }
    // How a seat names the database it writes to: the file's name, or "<database>@<server>".
    virtual QString displayName() const = 0;
    virtual bool isServer() const = 0;

    // Whether writes are refused (a file the user may not change, or one opened to read).
    virtual bool isReadOnly() const = 0;
    // What a refused write says.
    static QString readOnlyRefusal();

    // Runs a statement that returns no rows ("DELETE FROM ..."). Returns the number of
    // rows it changed.
    int execute(const QString& statement);
    // The same for a statement written the SQLite way with its values bound.
    int execute(const BoundSql& statement);
    // Runs several statements given as one script in the engine's own words (the schema).
    virtual void executeScript(const QString& script) = 0;
    // How many rows the last statement that wrote changed.
    virtual int changes() const = 0;
    // Stores the batch as one transaction under the write lock (inside the caller's transaction
    // when one is open) and returns the rows each of its steps returned, by step. Throws DbError:
    // the refusal of the check that refused the batch, or the engine's own; nothing is stored then.
    virtual QList<WriteBatch::Rows> runBatch(const WriteBatch& batch);

    // Stores one row of a table (names already quoted, values as stored) and returns its key.
    // A key is never handed out twice, not even the key of a deleted row.
    virtual qint64 insertRow(const QString& table, const QStringList& quotedNames, const QList<QVariant>& values) = 0;

    virtual QList<TableInfo> tables() const = 0;
    // The user's fields of a table, in their order; the hidden row key is not one of them.
    virtual QList<FieldInfo> fields(const QString& table) const = 0;

    // A statement text written the SQLite way, prepared by this database's engine.
    virtual std::unique_ptr<StatementEngine> prepare(const QString& sqliteStatement) = 0;

    // Every write through this connection bumps the version, so readers know their
    // cached rows may be stale.
    quint64 dataVersion() const { return dataVersion_; }
    void noteWrite() { ++dataVersion_; }

    bool inTransaction() const { return transactionDepth_ > 0; }

    // Seats on one server database tell each other what they stored. On a file these do nothing.
    virtual void listen(const QString& channel);
    virtual void notify(const QString& channel, const QString& payload);
    // The notices other seats sent since the last call (this seat's own are left out).
    virtual QStringList takeNotifications();
    // A socket that becomes readable when a notice may have arrived; -1 when there is none.
    virtual int notificationSocket() const;
    // How often the connection to a server was opened again after it was lost: the socket
    // above is another one after each time.
    virtual int reconnections() const { return 0; }

    // The SQLite database itself, for passes over SQLite files; nullptr on a server.
    virtual sqlite3* sqliteHandle() const;
    // Whether the SQLite file keeps the highest row key each table ever had (see Schema).
    virtual bool hasRowMarks() const;
    virtual void forgetRowMarks();

protected:
    explicit Connection(QString location);

    // The engine's side of Transaction: the outermost guard begins and ends the work and
    // holds the database's write lock from its start to its end.
    virtual void beginWrite() = 0;
    virtual void commitWrite() = 0;
    virtual void rollbackWrite() = 0;
    // A write whose lock is taken later (Transaction::Lock::Later), for a long load of rows no
    // other writer depends on until it is stored: a file takes its lock at once all the same.
    virtual void beginWriteUnlocked() { beginWrite(); }
    virtual void takeWriteLock() {}

    // The error that says why step `index` refused the batch, its message completed from the rows
    // the steps before it returned.
    static DbError refusalOf(const WriteBatch& batch, int index, const QList<WriteBatch::Rows>& rows);

private:
    friend class Transaction;
    void runOne(const QString& sqliteStatement);

    QString location_;
    int transactionDepth_ = 0;
    int savepointCounter_ = 0;
    quint64 dataVersion_ = 0;
    bool refusalTableReady_ = false;
};
