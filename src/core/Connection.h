#pragma once

#include "FieldInfo.h"

#include <QList>
#include <QString>
#include <memory>

struct sqlite3;

// One open database: runs statement texts, lists tables and their fields.
class Connection : public std::enable_shared_from_this<Connection> {
public:
    struct TableInfo {
        QString name;
        QString type;   // "TABLE", "VIEW" or "SYSTEM TABLE"
    };

    // Opens an existing database file; a missing or unreadable file throws DbError.
    static std::shared_ptr<Connection> open(const QString& path);
    // Opens an existing database file for reading only: every write is refused.
    static std::shared_ptr<Connection> openReadOnly(const QString& path);
    // Opens the file, creating an empty database when there is none.
    static std::shared_ptr<Connection> create(const QString& path);
    static std::shared_ptr<Connection> openInMemory();
    // A private database in a temporary file, removed when it is closed: for data too big to
    // hold in memory, of which only a small cache stays in memory.
    static std::shared_ptr<Connection> openTemporary();

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    QString path() const { return path_; }
    // Whether writes are refused (a file the user may not change, or one opened to read).
    bool isReadOnly() const;
    // What a refused write says.
    static QString readOnlyRefusal();

    // Runs a statement that returns no rows ("Delete * From ..."). Returns the number of
    // rows it changed.
    int execute(const QString& statement);

    // Runs several statements given as one SQLite script (the schema).
    void executeScript(const QString& script);

    QList<TableInfo> tables() const;
    QList<FieldInfo> fields(const QString& table) const;

    // Whether the database keeps the highest row key each table ever had (see Schema), so
    // keys of deleted rows are never handed out again.
    bool hasRowMarks() const;
    void forgetRowMarks();   // after the bookkeeping was added

    // Every write through this connection bumps the version, so readers know their
    // cached rows may be stale.
    quint64 dataVersion() const { return dataVersion_; }
    void noteWrite() { ++dataVersion_; }

    bool inTransaction() const { return transactionDepth_ > 0; }
    sqlite3* handle() const { return db_; }

private:
    friend class Transaction;
    Connection(sqlite3* db, QString path);
    static std::shared_ptr<Connection> openWith(const QString& path, int flags);
    int executeOne(const QString& sqliteStatement);
    int transactionDepth_ = 0;
    int savepointCounter_ = 0;

    sqlite3* db_;
    QString path_;
    quint64 dataVersion_ = 0;
    mutable bool rowMarksKnown_ = false;
    mutable bool hasRowMarks_ = false;
};
