#include "ColumnNames.h"

#include <QSet>

namespace ColumnNames {

namespace {

QString cleaned(QString heading)
{
    heading.remove(QLatin1Char('['));
    heading.remove(QLatin1Char(']'));
    heading.replace(QLatin1Char('\r'), QLatin1Char(' '));
    heading.replace(QLatin1Char('\n'), QLatin1Char(' '));
    heading.replace(QLatin1Char('\t'), QLatin1Char(' '));
    heading.remove(QChar(0));
    return heading.trimmed();
}

} // namespace

QStringList usable(const QStringList& headings)
{
    QStringList names;
    QSet<QString> taken;
    // Names given by the file come first, so a generated F2 never takes a heading's place.
    for (const QString& heading : headings)
        taken.insert(cleaned(heading).toLower());
    QSet<QString> used;
    for (int i = 0; i < headings.size(); ++i) {
        QString name = cleaned(headings.at(i));
        if (name.isEmpty())
            name = QStringLiteral("F%1").arg(i + 1);
        if (used.contains(name.toLower())) {
            const QString stem = name;
            for (int n = 1;; ++n) {
                name = stem + QString::number(n);
                if (!used.contains(name.toLower()) && !taken.contains(name.toLower()))
                    break;
            }
        }
        used.insert(name.toLower());
        names << name;
    }
    return names;
}

} // namespace ColumnNames
