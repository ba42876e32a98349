#include "TargetChart.h"

#include "ChartCells.h"
#include "controls/ChartControl.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

namespace TargetChart {

namespace {

QString fieldText(const Recordset& targets, const QString& field)
{
    try {
        return TextRules::joinedText(targets.value(field));
    } catch (const DbError&) {
        return QString();
    }
}

} // namespace

void draw(ChartControl& chart, int chartType, const QList<TargetFields::ChartRow>& rows, const Recordset* targets)
{
    chart.setChartType(chartType);
    if (!targets || targets->recordCount() == 0 || !targets->hasCurrentRow()) {
        ChartCells::clear(chart);
        return;
    }
    ChartCells::setCounts(chart, int(rows.size()), 1);
    for (int r = 1; r <= rows.size(); ++r) {
        ChartCells::setCell(chart, r, 1, fieldText(*targets, rows[r - 1].field));
        ChartCells::setRowLabel(chart, r, rows[r - 1].label);
    }
}

} // namespace TargetChart
