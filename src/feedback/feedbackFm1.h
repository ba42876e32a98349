#pragma once

#include "controls/FormWindow.h"

#include <memory>

class ProgramState;
class DataGrid;
class Recordset;
class QLineEdit;
class QPushButton;

// The daily statistics of the current plan, corrected by hand: values edited in the grid
// and saved or dropped, rows deleted singly or by plan number, narrowed to one plan number.
// The window keeps its own rows of the current plan and reads them again when they change;
// an edit not yet saved is never stored by that, it waits for 保存 or 取消.
class feedbackFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit feedbackFm1(ProgramState& state);

    void Command1_Click(int index);   // <<, <, >, >>
    void Command2_Click();            // 查寻
    void Command3_Click();            // 保存
    void Command4_Click();            // 取消
    void Command5_Click();            // 删除
    void Command6_Click();            // 同序号删除
    void Command8_Click();            // 显示全库
    void Command7_Click();            // 返回

    DataGrid* DataGrid1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command1[4] = {};
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command7 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ProgramState& state_;
    void showPosition();
    void openDays();
    void readAgain();
    void rememberShownRow();
    bool isEditing() const;
    bool storePendingEdit();
    bool settlePendingEdit();
    bool hasRows() const;
    void reportError(const QString& description);

    QString planNoToDelete_;
    QString planNo_;                   // the plan whose daily rows are shown
    std::shared_ptr<Recordset> days_;
    QList<QVariant> shownRow_;         // the current row's values as shown before an edit
    bool announcing_ = false;
    bool readAgainAfterEdit_ = false;  // rows changed elsewhere while an edit was pending
};
