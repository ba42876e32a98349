#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

// One prepared statement of one database engine, behind Statement. Errors are thrown as
// DbError with the program's text for them.
class StatementEngine {
public:
    virtual ~StatementEngine() = default;

    virtual void bind(int index, const QVariant& value) = 0;   // 1-based
    virtual void bindUtf8(int index, QByteArrayView text) = 0; // a text given as UTF-8
    virtual bool step() = 0;                                   // true while a row is at hand
    virtual void reset() = 0;                                  // back to the start, bindings cleared

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;
    virtual QString declaredType(int column) const = 0;         // "" for an expression
    virtual QVariant valueAt(int column) const = 0;             // Null, qint64, double, QString or QByteArray
    virtual QByteArrayView utf8At(int column) const = 0;        // see Statement::utf8At
    virtual qint64 int64At(int column) const = 0;
};
