#pragma once

#include <QString>

// A text written into a test's own statement as a literal: 'text' with every ' doubled. The
// program itself never does this; it binds every value.
inline QString sqlLiteral(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}
