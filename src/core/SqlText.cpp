#include "SqlText.h"

#include <QStringList>

namespace SqlText {

QString quoteName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString equals(BoundSql& statement, const QString& field, const QVariant& value)
{
    return quoteName(field) + QLatin1String(" = ") + statement.bind(value);
}

// The pattern's own % and _ are escaped, so they match themselves.
QString contains(BoundSql& statement, const QString& field, const QString& text)
{
    QString pattern;
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return quoteName(field) + QLatin1String(" LIKE ") + statement.bind(QLatin1Char('%') + pattern + QLatin1Char('%'))
        + QLatin1String(" ESCAPE '\\'");
}

QString condition(BoundSql& statement, const FieldTests& tests)
{
    QStringList parts;
    for (const FieldTest& test : tests) {
        if (test.kind == FieldTest::Kind::Contains)
            parts << contains(statement, test.field, test.value.toString());
        else
            parts << equals(statement, test.field, test.value);
    }
    return parts.join(QStringLiteral(" AND "));
}

} // namespace SqlText
