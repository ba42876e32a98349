#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// Owns one prepared SQLite statement and finalizes it; every statement the store runs
// goes through this guard. Errors become DbError with the database's description.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);   // 1-based, as SQLite counts
    void bindInt64(int index, qint64 value);
    bool step();                                   // true while a row is at hand
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;         // "" for an expression
    qint64 int64At(int column) const;
    QVariant valueAt(int column) const;             // Null, qint64, double, QString or QByteArray

    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// The database's last error as the text the user sees.
QString sqliteErrorText(sqlite3* db);
