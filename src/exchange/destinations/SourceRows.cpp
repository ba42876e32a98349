#include "SourceRows.h"

#include "core/Connection.h"
#include "core/Statement.h"

#include <QStringList>
#include <limits>
#include <sqlite3.h>

SourceRows::SourceRows(Connection& connection, const ExportRows& rows)
    : rows_(rows), fields_(connection.fields(rows.table())), paged_(connection.sqliteHandle() == nullptr)
{
    QStringList columns = ExportRows::quotedNames(fields_);
    if (!paged_) {
        statement_ = std::make_unique<Statement>(connection, rows.query(columns));
        rows.bind(*statement_);
        return;
    }
    // The key comes last, after the columns copied, to start the next page after it.
    columns << QStringLiteral("rowid");
    keyParameter_ = rows.parameterCount() + 1;
    statement_ = std::make_unique<Statement>(
        connection, rows.query(columns, QStringLiteral("rowid > ?%1").arg(keyParameter_))
                        + QStringLiteral(" LIMIT %1").arg(ServerPageRows));
    texts_.resize(size_t(fields_.size()));
    lastKey_ = std::numeric_limits<qint64>::min();
    startPage();
}

SourceRows::~SourceRows() = default;

void SourceRows::startPage()
{
    statement_->reset();
    rows_.bind(*statement_);
    statement_->bindInt64(keyParameter_, lastKey_);
    pageRows_ = 0;
}

QStringList SourceRows::fieldNames() const
{
    QStringList names;
    for (const FieldInfo& field : fields_)
        names << field.name;
    return names;
}

int SourceRows::count(Connection& connection, const ExportRows& rows)
{
    Statement statement(connection, rows.countQuery());
    rows.bind(statement);
    statement.step();
    return statement.valueAt(0).toInt();
}

bool SourceRows::next()
{
    if (statement_->step()) {
        if (paged_) {
            ++pageRows_;
            lastKey_ = statement_->int64At(int(fields_.size()));
        }
        return true;
    }
    // A page shorter than a whole one was the last.
    if (!paged_ || pageRows_ < ServerPageRows)
        return false;
    startPage();
    return next();
}

QVariant SourceRows::value(int column) const
{
    return fields_[column].fromStored(statement_->valueAt(column));
}

QVariant SourceRows::stored(int column) const
{
    return statement_->valueAt(column);
}

SourceRows::RawValue SourceRows::raw(int column) const
{
    sqlite3_stmt* statement = statement_->sqliteHandle();
    if (!statement)
        return rawFromStored(column);
    RawValue value;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        value.kind = RawValue::Kind::Integer;
        value.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        value.kind = RawValue::Kind::Real;
        value.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
        value.kind = RawValue::Kind::Text;
        value.bytes = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        value.size = sqlite3_column_bytes(statement, column);
        break;
    case SQLITE_BLOB:
        value.kind = RawValue::Kind::Blob;
        break;
    default:
        break;
    }
    return value;
}

// On a server the values arrive as the store's own kinds; the same raw values are made of them.
SourceRows::RawValue SourceRows::rawFromStored(int column) const
{
    const QVariant stored = statement_->valueAt(column);
    RawValue value;
    switch (stored.typeId()) {
    case QMetaType::LongLong:
        value.kind = RawValue::Kind::Integer;
        value.integer = stored.toLongLong();
        break;
    case QMetaType::Double:
        value.kind = RawValue::Kind::Real;
        value.real = stored.toDouble();
        break;
    case QMetaType::QString: {
        QByteArray& text = texts_[size_t(column)];
        text = stored.toString().toUtf8();
        value.kind = RawValue::Kind::Text;
        value.bytes = text.constData();
        value.size = int(text.size());
        break;
    }
    case QMetaType::QByteArray:
        value.kind = RawValue::Kind::Blob;
        break;
    default:
        break;
    }
    return value;
}
