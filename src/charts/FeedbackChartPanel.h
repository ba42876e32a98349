#pragma once

#include <QColor>
#include <QList>
#include <QWidget>
#include <memory>

class BarCaptionStrip;
class ProgramState;
class Recordset;
class ChartControl;
class WideChartHolder;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
struct FeedbackDay;

// The lower half of the main window: four chart panels about the current plan's daily rows,
// from its first day up to the day chosen in the main window, of which one shows at a time;
// the option buttons that choose the panel, the trend's line/bar switch and the button that
// opens the plan comparison chart. The controls keep the names the windows and tests know
// them by (Frame1 … Frame5, MSChart1 … MSChart5, Option1 … Option4, Command6(0),
// Command6(1), Command9, Label1(i), Label2(i), Label3(i)).
//
// Drawing never changes the current day, and a value that cannot be read is drawn as 0.
// A plan without days shows blank charts, and the option marked is always the one whose
// panel shows.
class FeedbackChartPanel : public QWidget {
    Q_OBJECT

public:
    // Design widths, in twips, of the two charts whose width follows the day count.
    static constexpr int cumulativeChartWidth = 11055;
    static constexpr int trendChartWidth = 11295;
    // Every day of the trend is drawn in this one colour.
    static const QColor trendColour;

    explicit FeedbackChartPanel(const ProgramState& state, QWidget* parent = nullptr);

    // The main window's executed plans and the current plan's daily rows, which the charts
    // draw; a plan without days blanks every chart.
    void showRows(std::shared_ptr<Recordset> plans, std::shared_ptr<Recordset> days);

    void chart1();   // every day so far: channels and totals (MSChart1)
    void chart2();   // every day so far: the sum of each product (MSChart2)
    void chart3();   // the current day: channels and totals (MSChart3), products (MSChart4)
    void chart4();   // the daily totals so far, as one group of bars (MSChart5)
    void chart5();   // the daily totals so far, as one line (MSChart5)

    void Option1_Click();          // "当日反馈图"
    void Option2_Click();          // "累计反馈图"
    void Option3_Click();          // "每日反馈趋势图"
    void Option4_Click();          // "累计产品反馈图"
    void Command6_Click(int index); // 0 "折线图", 1 "条形图"
    void Command9_Click();         // "显示统计图"

    void selectCurrentDayOption();
    void setProductLegend(const QStringList& productNames);

    QFrame* Frame[5] = {};           // Frame1 … Frame5
    ChartControl* MSChart[5] = {};   // MSChart1 … MSChart5
    QRadioButton* Option[4] = {};    // Option1 … Option4
    QPushButton* Command6[2] = {};
    QPushButton* Command9 = nullptr;
    QLabel* Label1[8] = {};          // the names of MSChart3's bars
    QLabel* Label2[5] = {};          // the product legend of MSChart4
    QLabel* Label3[16] = {};         // MSChart1's legend: swatch, caption, swatch, …

signals:
    // The user asked for the plan comparison chart while there are executed plans.
    void chartWindowRequested();

private:
    const ProgramState& state_;
    std::shared_ptr<Recordset> plans_;
    std::shared_ptr<Recordset> days_;
    void showOnlyFrame(int frameIndex);
    void markShownPanel();
    void clearAllCharts();
    QList<FeedbackDay> daysUpToCurrent() const;
    static void applyWidthRule(ChartControl& chart, int dayCount);

    QFrame* buildOptionsFrame();
    QFrame* buildCurrentDayFrame();
    QFrame* buildCumulativeFrame();
    QFrame* buildProductFrame();
    QFrame* buildTrendFrame();
    QFrame* titledFrame(int frameIndex, const QString& titleName, const QString& title);
    ChartControl* addChart(QFrame* frame, int chartIndex);

    BarCaptionStrip* channelCaptions_ = nullptr;
    WideChartHolder* cumulativeHolder_ = nullptr;
    WideChartHolder* trendHolder_ = nullptr;
};
