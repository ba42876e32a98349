#pragma once

#include "DbError.h"
#include "StatementEngine.h"

struct sqlite3;
struct sqlite3_stmt;

// A statement prepared by SQLite.
class SqliteStatement : public StatementEngine {
public:
    SqliteStatement(sqlite3* db, const QString& sql);
    ~SqliteStatement() override;

    void bind(int index, const QVariant& value) override;
    void bindUtf8(int index, QByteArrayView text) override;
    bool step() override;
    void reset() override;

    int columnCount() const override;
    QString columnName(int column) const override;
    QString declaredType(int column) const override;
    QVariant valueAt(int column) const override;
    QByteArrayView utf8At(int column) const override;
    qint64 int64At(int column) const override;

    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The database's last error as the user sees it, with its kind.
DbError sqliteError(sqlite3* db);
