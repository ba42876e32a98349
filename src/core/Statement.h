#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <memory>

class Connection;
class StatementEngine;
struct sqlite3_stmt;

// One statement on a connection, prepared once and run as often as needed; every statement
// the store runs goes through this guard. The text is said the SQLite way, with ? or ?N for
// the values; the connection's engine takes it as its own. Errors become DbError with the
// database's description in the program's language.
class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QVariant& value);   // 1-based, as SQLite counts
    void bindInt64(int index, qint64 value);
    void bindUtf8(int index, QByteArrayView text);  // a text as UTF-8, copied
    bool step();                                   // true while a row is at hand
    void reset();                                  // to run again; the values given are forgotten

    int columnCount() const;
    QString columnName(int column) const;
    QString declaredType(int column) const;         // "" for an expression
    qint64 int64At(int column) const;
    QVariant valueAt(int column) const;             // Null, qint64, double, QString or QByteArray
    // The UTF-8 of a value valueAt gives as a QString, valid until the next step or reset; a
    // null view for any other value. Passes over many rows read texts this way unconverted.
    QByteArrayView utf8At(int column) const;

    // The SQLite statement itself, for the few passes over SQLite files that bind and read
    // without going through QVariant; nullptr on another engine.
    sqlite3_stmt* sqliteHandle() const;

private:
    std::unique_ptr<StatementEngine> engine_;
};
