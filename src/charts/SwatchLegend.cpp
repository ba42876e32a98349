#include "SwatchLegend.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>

namespace SwatchLegend {

namespace {

QLabel* swatch(QWidget* parent, const Entry& entry)
{
    auto* label = new QLabel(QStringLiteral(" "), parent);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, entry.colour);
    palette.setColor(QPalette::WindowText, QColor(96, 96, 96));   // the frame around the colour
    label->setPalette(palette);
    // A thin frame keeps light colours (yellow, cyan) visible on the window's background.
    label->setFrameShape(QFrame::Box);
    label->setLineWidth(1);
    label->setFixedSize(18, 12);
    label->setAccessibleName(entry.caption + QStringLiteral("的颜色"));
    return label;
}

} // namespace

QHBoxLayout* build(QWidget* parent, const QString& name, const QList<Entry>& entries, QLabel** labels)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    for (int i = 0; i < entries.size(); ++i) {
        QLabel* colour = swatch(parent, entries[i]);
        colour->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(2 * i));
        auto* caption = new QLabel(entries[i].caption, parent);
        caption->setObjectName(QStringLiteral("%1(%2)").arg(name).arg(2 * i + 1));
        labels[2 * i] = colour;
        labels[2 * i + 1] = caption;
        row->addWidget(colour);
        row->addWidget(caption);
        row->addSpacing(10);
    }
    row->addStretch(1);
    return row;
}

QColor swatchColour(const QLabel& swatch)
{
    return swatch.palette().color(QPalette::Window);
}

} // namespace SwatchLegend
