#pragma once

#include "controls/FormWindow.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class DataGrid;
class DatabaseLock;
class ImportSource;
class ProgramState;
class Recordset;
struct ChangeNotice;
class chartFm1;
class clientBrowseFm1;
class effectFm1;
class definitionFm1;
class mainFm3;
class Form3;
class Form5;
class feedbackFm1;
class fbTFixFm1;
class outputFm2;
class FeedbackChartPanel;
class QAction;
class QLineEdit;
class QMenuBar;
class QPushButton;
class ReportWindow;

// The main window: the executed plans and the current plan's daily rows in two linked
// grids, deletion of a plan, the legends, the chart panel and the menu that opens every
// other window. Each time the user comes back to it, it reads everything again.
class mainFm1 : public FormWindow {
    Q_OBJECT

public:
    // Opens the database at `location`, a file or a server (the file in the program's folder
    // when empty), and builds the window. An empty server database gets the program's tables
    // when the user agrees. When the database is missing, unreadable or not the program's, or
    // the user would not have the tables made, shows why and returns nullptr: no half-open
    // window.
    static mainFm1* load(const QString& appPath, const QString& location = {});
    ~mainFm1() override;

    // The program's state, which the main window owns and hands to every window it opens.
    ProgramState& state() const { return *state_; }
    std::shared_ptr<Recordset> planRows() const { return plans_; }
    std::shared_ptr<Recordset> dayRows() const { return days_; }

    // The activation refresh; runs whenever the window becomes active.
    void Form_Activate();
    void setLabel();

    void Command1_Click(int index);
    void Command2_Click(int index);
    void Command8_Click();
    void DataGrid1_Click();
    void DataGrid2_Click();
    void exit2_Click();
    void definition2_Click();
    void createMarketing_Click();
    void effectAnalysis_Click();
    void inputClient_Click();
    void recordBack1_Click();
    void browseFeedback_Click();
    void maintainTable2_Click();
    void print1_Click();
    void print2_Click();
    void print3_Click();
    void cilentTableTotal_Click();

    DataGrid* DataGrid1 = nullptr;
    DataGrid* DataGrid2 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1[4] = {};
    QPushButton* Command2[4] = {};
    QPushButton* Command8 = nullptr;
    FeedbackChartPanel* chartPanel = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    mainFm1(std::unique_ptr<DatabaseLock> lock, std::unique_ptr<ProgramState> state);
    std::unique_ptr<DatabaseLock> lock_;
    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<ImportSource> importSource_;   // the file the import reads from, kept between openings
    std::shared_ptr<Recordset> plans_;   // the executed plans
    std::shared_ptr<Recordset> days_;    // the current plan's daily rows
    QStringList plansRead_;              // the plans' numbers at the last activation
    QPointer<definitionFm1> definitionWindow_;
    QPointer<mainFm3> importWindow_;
    QPointer<Form3> planEditor_;
    QPointer<chartFm1> chartWindow_;
    QPointer<Form5> feedbackWindow_;
    QPointer<feedbackFm1> dailyTable_;
    QPointer<ReportWindow> statisticsReport_;
    QPointer<ReportWindow> addressBookReport_;
    QPointer<ReportWindow> summaryReport_;
    QPointer<clientBrowseFm1> browseWindow_;
    QPointer<fbTFixFm1> targetTable_;
    QPointer<outputFm2> responderExport_;
    QPointer<effectFm1> effectWindow_;
    QPointer<ReportWindow> effectReport_;
    void buildMenu(QMenuBar* bar);
    QWidget* buildGrids();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption);
    void showPlanPosition();
    void showDayPosition();
    void openPlans();
    void takeCurrentPlan();
    QStringList planNumbers() const;   // the executed plans' numbers, in the grid's order
    void placeCurrentPlan();
    void reopenPlanFeedback();
    void followCurrentPlan();
    void followChange(const ChangeNotice& notice);
    // False when the row shown before is gone (another row is shown then).
    bool rereadKeepingRow(const std::shared_ptr<Recordset>& rows, DataGrid* grid);
    QString currentRowPlan() const;
    void drawCurrentDay();
    void reportError(const QString& description);
    QList<QWidget*> openedWindows() const;
    bool closeOtherWindows();
};
