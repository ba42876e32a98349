#pragma once

#include "controls/FormWindow.h"

#include <QList>
#include <memory>

class ProgramState;
class DataGrid;
struct ChangeNotice;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;

// The feedback window: the current plan's targets and daily rows. The operator finds the
// target who responded, counts the response by channel or product, and saves it onto the
// target and onto today's daily row; leaving the window writes the plan's total and rate.
class Form5 : public FormWindow {
    Q_OBJECT

public:
    explicit Form5(ProgramState& state);

    void Form_Activate();
    void displayRecord();
    void clearRecord();
    void displayRecord2();
    void clearRecord2();
    void writeRecord2();
    void addRecord();
    void writeRecord();

    void Command2_Click();            // 未知客户
    void Command5_Click();            // 查寻
    void Command15_Click();           // 显示全库
    void Command16_Click(int index);  // target navigation
    void DataGrid2_Click();
    void Command7_Click();            // 添加
    void Command9_Click();            // 保存
    void Command10_Click();           // 删除
    void Command12_Click();           // 取消
    void Command14_Click();           // the panel's 返回
    void Command17_Click(int index);  // the eleven counters
    void Command11_Click(int index);  // daily navigation
    void DataGrid1_Click();
    void Command1_Click();            // 返回: the plan's total and rate, then close

    std::shared_ptr<Recordset> planTargetRecordset() const { return planTargetRecordset_; }

    QPushButton* Command2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command15 = nullptr;
    DataGrid* DataGrid2 = nullptr;
    QPushButton* Command16[4] = {};
    QLineEdit* Text3 = nullptr;
    QFrame* Frame2 = nullptr;
    QLineEdit* Text4[9] = {};
    QFrame* Frame4 = nullptr;
    QPushButton* Command17[11] = {};
    QLineEdit* Text5[11] = {};
    QLabel* Label2 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command14 = nullptr;
    DataGrid* DataGrid1 = nullptr;
    QFrame* Frame3 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command11[4] = {};
    QPushButton* Command1 = nullptr;
    QFrame* Frame1 = nullptr;
    QLineEdit* Text1[17] = {};

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProgramState& state_;
    QWidget* buildTargetSide();
    QWidget* buildPanel();
    QWidget* buildDailySide();
    void connectHandlers();
    void Form_Load();
    void openDays();
    void followChange(const ChangeNotice& notice);
    void reloadTargets();
    void setProductTips();
    void showTargetPosition();
    void showDayPosition();
    void setSixButtonsEnabled(bool enabled);
    void showPanelWith(bool newTargetLabel);
    void startNewTarget();
    void showUnknownClients(const QString& planNo);
    void storeResponse();
    void showSavedDay();
    void recoverAfterFailedSave(bool wasNewTarget, qint64 targetKey);
    void storePlanTotals();
    void dropPendingEdits();
    void reportError(const QString& description);

    std::shared_ptr<Recordset> planTargetRecordset_;
    std::shared_ptr<Recordset> days_;   // the plan's daily rows
    bool saving_ = false;   // this window's own notices are not read back
    QString planNo_;      // the plan whose targets and days this window records for
    QString planTitle_;
    QList<int> pendingClicks_ = QList<int>(11, 0);   // clicks not yet saved, for today's row
    QList<qint64> targetBaseline_ = QList<qint64>(11, 0);   // target counters as shown
    QList<qint64> dayBaseline_ = QList<qint64>(11, 0);      // day counters as stored when shown
    bool dayBoxesAreToday_ = false;   // the daily boxes show today's row of the plan (or the new day)
    bool closing_ = false;
};
