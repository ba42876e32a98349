#pragma once

#include "FontSpec.h"

#include <QList>
#include <QString>

// One thing drawn on a report page, in millimetres from the page's top-left corner:
// a text whose line starts at (x, y), or a rule from (x, y) to (x2, y2). A text with a
// `clipRight` shows nothing right of that x (a cell ends at its column's separator).
struct DrawOp {
    enum class Kind { Text, Rule };

    Kind kind = Kind::Text;
    double x = 0;
    double y = 0;
    double x2 = 0;
    double y2 = 0;
    double clipRight = 0;   // 0: the text is not clipped
    QString text;
    FontSpec font;

    static DrawOp textAt(double x, double y, const QString& text, const FontSpec& font)
    {
        DrawOp op;
        op.kind = Kind::Text;
        op.x = x;
        op.y = y;
        op.text = text;
        op.font = font;
        return op;
    }
    static DrawOp clippedTextAt(double x, double y, double clipRight, const QString& text, const FontSpec& font)
    {
        DrawOp op = textAt(x, y, text, font);
        op.clipRight = clipRight;
        return op;
    }
    static DrawOp rule(double x, double y, double x2, double y2)
    {
        DrawOp op;
        op.kind = Kind::Rule;
        op.x = x;
        op.y = y;
        op.x2 = x2;
        op.y2 = y2;
        return op;
    }
};

// One composed page.
using ReportPage = QList<DrawOp>;
