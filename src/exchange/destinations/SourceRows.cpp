#include "SourceRows.h"

#include "core/Connection.h"
#include "core/Statement.h"

#include <QStringList>
#include <sqlite3.h>

SourceRows::SourceRows(Connection& connection, const ExportRows& rows)
    : statement_(std::make_unique<Statement>(connection, rows.query()))
{
    rows.bind(*statement_);
    for (int i = 0; i < statement_->columnCount(); ++i)
        fields_.append(FieldInfo::fromDeclaration(statement_->columnName(i), statement_->declaredType(i)));
}

SourceRows::~SourceRows() = default;

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
    return statement_->step();
}

QVariant SourceRows::value(int column) const
{
    return fields_[column].fromStored(statement_->valueAt(column));
}

SourceRows::RawValue SourceRows::raw(int column) const
{
    sqlite3_stmt* statement = statement_->sqliteHandle();
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
