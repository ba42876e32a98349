#pragma once

#include <QColor>
#include <QList>
#include <QString>

class QHBoxLayout;
class QLabel;
class QWidget;

// A legend beside a chart: for every series a colour swatch and its caption, in pairs of
// labels named `name(0)`, `name(1)`, … (the swatch at the even index, its caption one
// blank; the series caption at the odd index).
namespace SwatchLegend {

struct Entry {
    QString caption;
    QColor colour;
};

// Builds the pairs into a row; `labels` receives the 2 × entries labels in index order.
QHBoxLayout* build(QWidget* parent, const QString& name, const QList<Entry>& entries, QLabel** labels);

// The colour a swatch shows.
QColor swatchColour(const QLabel& swatch);

} // namespace SwatchLegend
