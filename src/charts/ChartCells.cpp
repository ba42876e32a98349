#include "ChartCells.h"

#include "controls/ChartControl.h"
#include "core/DbError.h"

namespace ChartCells {

namespace {

bool select(ChartControl& chart, int row, int column)
{
    try {
        chart.setRow(row);
        chart.setColumn(column);
        return true;
    } catch (const DbError&) {
        return false;
    }
}

} // namespace

void setCounts(ChartControl& chart, int rows, int columns)
{
    // Each count on its own: the cells that fit the counts the chart took are still drawn.
    try {
        chart.setRowCount(rows);
    } catch (const DbError&) {
    }
    try {
        chart.setColumnCount(columns);
    } catch (const DbError&) {
    }
}

void setCell(ChartControl& chart, int row, int column, const QString& text)
{
    if (!select(chart, row, column))
        return;
    try {
        chart.setData(text);
    } catch (const DbError&) {
        chart.setData(QStringLiteral("0"));
    }
}

void setRowLabel(ChartControl& chart, int row, const QString& label)
{
    if (select(chart, row, 1))
        chart.setRowLabel(label);
}

void clear(ChartControl& chart)
{
    setCounts(chart, 1, 1);
    setCell(chart, 1, 1, QStringLiteral("0"));
    setRowLabel(chart, 1, QString());
}

} // namespace ChartCells
