#include "PgDialect.h"

#include "SqlTokens.h"

#include <algorithm>

namespace PgDialect {

Translated fromSqlite(const QString& statement)
{
    Translated out;
    for (const SqlTokens::Token& token : SqlTokens::tokenize(statement)) {
        if (token.kind != SqlTokens::Kind::Parameter) {
            out.sql += token.text;
            continue;
        }
        const int number = token.text.size() > 1 ? token.text.mid(1).toInt() : out.parameterCount + 1;
        out.parameterCount = std::max(out.parameterCount, number);
        out.sql += QLatin1Char('$') + QString::number(number);
    }
    return out;
}

} // namespace PgDialect
