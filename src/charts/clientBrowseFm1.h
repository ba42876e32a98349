#pragma once

#include "core/BoundSql.h"

#include "controls/FormWindow.h"

#include <memory>

class ChartControl;
class ProgramState;
class DataGrid;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class Recordset;

// The feedback browser: the current plan's targets in a grid, the current target's contact
// data and counters in read-only boxes, a chart of its responses per channel and one per
// product. The list can be narrowed to the targets that responded or to a name, and handed
// to the export window. It never writes.
//
// It keeps a recordset of its own, so no other window moves or re-filters its rows, and it
// reads them again when another window adds or deletes targets and when the user comes back
// to it.
class clientBrowseFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit clientBrowseFm1(const ProgramState& state);

    void Form_Load();
    void Form_Activate();
    void clearRecord();
    void displayRecord();
    void chart1();    // channels, bars
    void chart11();   // channels, lines
    void chart2();    // products, bars
    void chart22();   // products, lines

    void Command1_Click(int index);   // navigation "<<", "<", ">", ">>"
    void DataGrid1_Click();
    void Command2_Click();            // "查寻"
    void Command4_Click();            // "显示反馈客户"
    void Command5_Click();            // "显示全库"
    void Command6_Click();            // "导出"
    void Command7_Click();            // "返回"

    std::shared_ptr<Recordset> browseRecordset() const { return browseRecordset_; }

    DataGrid* DataGrid1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1[4] = {};
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QLineEdit* Text1[22] = {};
    QLabel* Label1[22] = {};          // the captions beside Text1(i)
    ChartControl* MSChart1 = nullptr;
    ChartControl* MSChart2 = nullptr;
    QRadioButton* Option1 = nullptr;  // "柱型1"
    QRadioButton* Option2 = nullptr;  // "柱型2"
    QRadioButton* Option3 = nullptr;  // "折线1"
    QRadioButton* Option4 = nullptr;  // "折线2"

signals:
    // The user asked to export the listed plan's responding targets.
    void exportRequested(const QString& planNo);

private:
    const ProgramState& state_;
    QWidget* buildListSide();
    QWidget* buildBoxes();
    QWidget* buildCharts();
    void connectHandlers();
    bool hasRows() const;
    void showPosition();
    enum class ChartStyle { Bars, AsChosen };
    void showCurrentTarget(ChartStyle style);
    void openList(const BoundSql& statement);
    void rereadRows();
    void reportError(const QString& description);

    std::shared_ptr<Recordset> browseRecordset_;
    QString planNo_;          // the plan the list belongs to
    BoundSql listStatement_;   // all targets, or those that responded
};
