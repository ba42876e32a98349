#pragma once

#include <QWidget>

class ChartControl;
class QButtonGroup;
class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;

// The lower half of the main window: four chart panels about the current plan, of which
// one shows at a time, the option buttons that choose the panel, the trend's line/bar
// switch and the button that opens the plan comparison chart. The controls keep the names
// the windows and tests know them by (Frame1 … Frame5, MSChart1 … MSChart5, Option1 …
// Option4, Command6(0), Command6(1), Command9, Label1(i), Label2(i)).
class FeedbackChartPanel : public QWidget {
    Q_OBJECT

public:
    explicit FeedbackChartPanel(QWidget* parent = nullptr);

    // The current day of the current plan: its channels and totals, and its products.
    void chart3();
    void selectCurrentDayOption();
    void setProductLegend(const QStringList& productNames);

    QFrame* Frame[5] = {};           // Frame1 … Frame5
    ChartControl* MSChart[5] = {};   // MSChart1 … MSChart5
    QRadioButton* Option[4] = {};    // Option1 … Option4
    QPushButton* Command6[2] = {};
    QPushButton* Command9 = nullptr;
    QLabel* Label1[8] = {};
    QLabel* Label2[5] = {};

signals:
    void chartWindowRequested();

private:
    void showOnlyFrame(int frameIndex);
    QFrame* buildCurrentDayFrame();
    QFrame* buildSimpleFrame(int frameIndex, int chartIndex, const QString& titleName, const QString& title);
    QFrame* buildOptionsFrame();
};
