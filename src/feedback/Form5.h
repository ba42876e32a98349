#pragma once

#include "controls/FormWindow.h"

#include <QList>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class ProgramState;
class DataGrid;
struct ChangeNotice;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;
namespace ResponseRecording {
struct Draft;
}

// The feedback window: the current plan's targets and daily rows. The operator finds the
// target who responded, counts the response by channel or product, and saves it onto the
// target and onto today's daily row; leaving the window writes the plan's total and rate.
// The window names the plan it records for; while counts or typed fields wait to be saved it
// stays on that plan and that target, whatever plan becomes current elsewhere.
class Form5 : public FormWindow {
    Q_OBJECT

public:
    explicit Form5(ProgramState& state);

    void Form_Activate();
    void displayRecord();
    void clearRecord();
    void displayRecord2();
    void clearRecord2();
    void writeRecord2(ResponseRecording::Draft& draft) const;   // the target boxes into a response
    void addRecord();                                           // today's row into the daily boxes
    void writeRecord(ResponseRecording::Draft& draft) const;    // today's counts into a response

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
    QString planNo() const { return planNo_; }   // the plan the window records for
    // Counts clicked or boxes typed since the target was shown, not yet saved.
    bool hasUnsavedChanges() const;

    QLabel* LabelPlan = nullptr;   // "当前计划：" and the plan the window records for

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
    void followCurrentPlan();
    void reloadTargets();
    void setProductTips();
    void showPlanLabel();
    void showTargetPosition();
    void showDayPosition();
    void setSixButtonsEnabled(bool enabled);
    void showPanelWith(bool newTargetLabel);
    void startNewTarget(const QString& name);
    void showUnknownClients(const QString& planNo);
    void showChosenTarget();
    void rememberShownFields();
    void dayBoxEdited(int index);
    bool settleUnsavedChanges();
    void discardUnsavedChanges();
    bool saveResponse();
    void showSavedTarget(qint64 targetKey);
    bool showKeptTarget(Recordset& rs, qint64 targetKey);
    void showSavedDay();
    void storePlanTotals();
    void reportError(const QString& description);

    std::shared_ptr<Recordset> planTargetRecordset_;
    std::shared_ptr<Recordset> days_;   // the plan's daily rows
    bool saving_ = false;   // this window's own notices are not read back
    QString planNo_;        // the plan whose targets and days this window records for
    QString planTitle_;
    QSet<QString> plansRecorded_;   // plans whose totals are written on 返回
    std::optional<qint64> shownTargetKey_;   // the target in the panel; none for a new one
    bool newTarget_ = false;                 // the panel holds a target not yet stored
    QStringList shownFields_;                // the target's fields as shown
    QList<qint64> targetBaseline_ = QList<qint64>(11, 0);   // target counters as shown
    QList<qint64> dayAdded_ = QList<qint64>(11, 0);         // counted for today, not yet saved
    std::optional<QString> dayContent_;                     // today's 反馈内容 as typed
    QList<qint64> dayBaseline_ = QList<qint64>(11, 0);      // day counters as stored when shown
    bool dayBoxesAreToday_ = false;   // the daily boxes show today's row of the plan (or the new day)
};
