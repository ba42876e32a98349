#include "SourceRows.h"

#include "core/Connection.h"
#include "core/JetDialect.h"
#include "core/Statement.h"

#include <QStringList>

SourceRows::SourceRows(Connection& connection, const QString& query)
    : statement_(std::make_unique<Statement>(connection.handle(), JetDialect::toSqlite(query)))
{
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

bool SourceRows::next()
{
    return statement_->step();
}

QVariant SourceRows::value(int column) const
{
    return fields_[column].fromStored(statement_->valueAt(column));
}

QVariant SourceRows::storedValue(int column) const
{
    return statement_->valueAt(column);
}
