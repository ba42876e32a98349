#pragma once

#include "controls/FormWindow.h"

#include <QList>

class ChartControl;
class ProgramState;
struct PlanFigures;
class WideChartHolder;
class QLabel;

// The plan comparison chart: for every executed plan from the first up to the main window's
// current plan, four bars (size, expected responses, responses so far, response rate).
// It draws once, when it opens, and leaves the current plan as it was.
class chartFm1 : public FormWindow {
    Q_OBJECT

public:
    // Design width of the chart, in twips; it then follows the number of plans.
    static constexpr int chartDesignWidth = 11295;
    // The column of the response rate, drawn against the axis on the right.
    static constexpr int RateColumn = 4;

    explicit chartFm1(const ProgramState& state);

    void Form_Load();
    void chart1();

    QLabel* Label1 = nullptr;        // "反馈总表统计图"
    ChartControl* MSChart1 = nullptr;
    QLabel* Label2[8] = {};          // legend: swatch, caption, swatch, …

private:
    const ProgramState& state_;
    QList<PlanFigures> plansUpToCurrent() const;
    WideChartHolder* holder_ = nullptr;
};
