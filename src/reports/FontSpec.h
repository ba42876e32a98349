#pragma once

#include <QColor>
#include <QString>

// One of a report's five fonts: name, size in points, style and colour.
struct FontSpec {
    QString name;
    double size = 10;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;
    QColor color = QColor(Qt::black);

    bool operator==(const FontSpec&) const = default;
};
