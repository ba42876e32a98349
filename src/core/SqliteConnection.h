#pragma once

#include "Connection.h"

// A SQLite database file (or one in memory): the database of one person beside the program,
// and the scratch databases of import and export.
class SqliteConnection : public Connection {
public:
    static std::shared_ptr<Connection> open(const QString& path);
    static std::shared_ptr<Connection> openReadOnly(const QString& path);
    static std::shared_ptr<Connection> create(const QString& path);
    static std::shared_ptr<Connection> openInMemory();
    static std::shared_ptr<Connection> openTemporary();

    ~SqliteConnection() override;

    QString displayName() const override;
    bool isServer() const override { return false; }
    bool isReadOnly() const override;
    void executeScript(const QString& script) override;
    int changes() const override;
    qint64 insertRow(const QString& table, const QStringList& quotedNames, const QList<QVariant>& values) override;
    QList<TableInfo> tables() const override;
    QList<FieldInfo> fields(const QString& table) const override;
    std::unique_ptr<StatementEngine> prepare(const QString& sqliteStatement) override;
    sqlite3* sqliteHandle() const override { return db_; }
    bool hasRowMarks() const override;
    void forgetRowMarks() override;

protected:
    void beginWrite() override;
    void commitWrite() override;
    void rollbackWrite() override;

private:
    SqliteConnection(sqlite3* db, QString path);
    static std::shared_ptr<Connection> openWith(const QString& path, int flags);
    qint64 nextKey(const QString& table) const;
    void run(const QString& sql);

    sqlite3* db_;
    mutable bool rowMarksKnown_ = false;
    mutable bool hasRowMarks_ = false;
};
