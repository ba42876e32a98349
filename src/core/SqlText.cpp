#include "SqlText.h"

namespace SqlText {

QString quote(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString bracketName(const QString& name)
{
    QString inner = name;
    inner.remove(QLatin1Char(']'));
    return QLatin1Char('[') + inner + QLatin1Char(']');
}

QString quoteName(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

static QString plainName(const QString& field)
{
    const bool bracketed = field.startsWith(QLatin1Char('[')) && field.endsWith(QLatin1Char(']'));
    return quoteName(bracketed ? field.mid(1, field.size() - 2) : field);
}

QString equals(BoundSql& statement, const QString& field, const QVariant& value)
{
    return plainName(field) + QLatin1String(" = ") + statement.bind(value);
}

QString contains(BoundSql& statement, const QString& field, const QString& text)
{
    QString pattern;
    for (QChar c : text) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\'))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return plainName(field) + QLatin1String(" like ") + statement.bind(QLatin1Char('%') + pattern + QLatin1Char('%'))
        + QLatin1String(" ESCAPE '\\'");
}

BoundSql equalsCondition(const QString& field, const QVariant& value)
{
    BoundSql condition;
    condition.text = equals(condition, field, value);
    return condition;
}

BoundSql containsCondition(const QString& field, const QString& text)
{
    BoundSql condition;
    condition.text = contains(condition, field, text);
    return condition;
}

} // namespace SqlText
