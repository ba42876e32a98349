#pragma once

#include "StatementEngine.h"

#include <QByteArray>
#include <QVector>
#include <optional>

class PgConnection;
struct pg_result;

// A statement run by a PostgreSQL server. The server sends a statement's rows whole, so
// step() walks rows already here. The connection keeps the statements it runs often prepared
// (see PgConnection::preparedNameFor).
class PgStatement : public StatementEngine {
public:
    PgStatement(PgConnection& connection, const QString& sqliteStatement);
    // A value as the server reads it in text form; a text holding a NUL is refused (DbError).
    static QByteArray textOf(const QVariant& value);
    static QByteArray checkedText(QByteArray utf8);
    ~PgStatement() override;

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

private:
    void run();
    std::optional<QByteArray>& parameter(int index);   // 1-based; throws for a number past the last
    const pg_result* shape() const;   // the rows' description, from the rows or from the server

    PgConnection& connection_;
    QByteArray sql_;
    QVector<std::optional<QByteArray>> values_;
    pg_result* result_ = nullptr;
    mutable pg_result* description_ = nullptr;
    int row_ = -1;
    bool ran_ = false;
    bool changesTables_ = false;   // CREATE, ALTER, DROP
    bool reads_ = false;           // a SELECT
};
