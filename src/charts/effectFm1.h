#pragma once

#include "campaign/CampaignEffects.h"
#include "controls/FormWindow.h"

#include <QTimer>
#include <memory>

class ChartControl;
class Connection;
class DataGrid;
class ProgramState;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableWidget;
struct ChangeNotice;

// The effect analysis (营销效果分析): for every executed plan its cost per response, its
// achievement against the expected responses, its response curve and, while it runs, the
// forecast of its final count; below the grid the selected plan's responses by channel and by
// product, the curves of the finished plans beside the selected one, and the cost per response
// of every plan as bars. It reads everything again when responses or plans are saved, here or at
// another seat, and never writes.
class effectFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit effectFm1(const ProgramState& state);
    ~effectFm1() override;

    void Form_Load();          // reads the analysis and shows it
    void DataGrid1_Click();    // another plan chosen: its mix and its curve
    void Command1_Click();     // 导出…
    void Command2_Click();     // 打印
    void Command3_Click();     // 返回

    const CampaignEffects::Analysis& analysis() const { return analysis_; }
    // The plan whose mix and curve are shown; "" when there is none.
    QString selectedPlanNo() const { return selectedPlanNo_; }

    QLabel* Label1 = nullptr;          // which plans count as finished
    QLabel* Label4 = nullptr;          // how the forecast and its range are made
    DataGrid* DataGrid1 = nullptr;     // one line per executed plan
    QLabel* Label2 = nullptr;          // stored texts that are no number
    QLabel* Label3 = nullptr;          // the selected plan
    QTableWidget* Grid1 = nullptr;     // its responses by channel
    QTableWidget* Grid2 = nullptr;     // and by product
    QTabWidget* TabStrip1 = nullptr;
    ChartControl* MSChart1 = nullptr;  // cumulative share curves
    ChartControl* MSChart2 = nullptr;  // cost per response by plan
    QPushButton* Command1 = nullptr;   // 导出…
    QPushButton* Command2 = nullptr;   // 打印
    QPushButton* Command3 = nullptr;   // 返回

signals:
    // The user asked to print the table; `rows` holds it as the grid shows it.
    void printRequested(std::shared_ptr<Connection> rows);

private:
    void buildGrids(QWidget* area);
    QWidget* buildCharts();
    void followChange(const ChangeNotice& notice);
    void showProblems();
    void showSelectedPlan();
    void showMix(const PlanEffect* plan);
    void drawCurves(const PlanEffect* plan);
    void drawCosts();
    const PlanEffect* selectedPlan() const;
    QString cellTip(int row, int column) const;
    void reportError(const QString& description);

    const ProgramState& state_;
    CampaignEffects::Analysis analysis_;
    std::shared_ptr<Connection> table_;   // the grid's rows, as EffectTable holds them
    QString selectedPlanNo_;
    QTimer reload_;
};
