#pragma once

#include <QString>
#include <QVariant>

// A statement text being written together with the values it binds. Each value gets the next
// numbered placeholder (?1, ?2 …), so pieces of a statement written apart (a plan named by its
// number or by a target's row) compose without counting placeholders by hand.
struct BoundSql {
    QString text;
    QVariantList values;

    // The placeholder of `value`, to be written into the text.
    QString bind(const QVariant& value)
    {
        values.append(value);
        return QLatin1Char('?') + QString::number(values.size());
    }
};
