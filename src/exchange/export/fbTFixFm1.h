#pragma once

#include "core/BoundSql.h"

#include "TargetRowWriter.h"
#include "controls/FormWindow.h"

#include <QPointer>
#include <functional>
#include <memory>

class ProgramState;
class DataGrid;
class QLineEdit;
class QPushButton;
class Recordset;
class outputFm1;

// "营销对象表维护": the targets of every plan in an editable grid. Rows are added, saved,
// dropped and deleted one at a time; all targets of one plan number, or every target
// without feedback, are deleted at once; the rows shown are all targets, those with
// feedback, or those with feedback of one plan number, narrowed further by a search.
// The window keeps its own rows and reads them again whenever another window changes
// targets, keeping its search and its current target; a row being typed is never stored
// for that: the rows are read again once it is saved or dropped.
class fbTFixFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit fbTFixFm1(ProgramState& state);

    void Command6_Click(int index);   // <<, <, >, >>
    void Command4_Click();            // 添加
    void Command3_Click();            // 保存
    void Command9_Click();            // 取消
    void Command2_Click();            // 删除
    void Command7_Click();            // 查寻
    void Command8_Click();            // 同序号删除
    void Command5_Click();            // 删除所有无反馈客户记录
    void Command10_Click();           // 显示全库
    void Command11_Click();           // 显示有反馈记录
    void Command12_Click();           // 显示同序号有反馈记录
    void Command13_Click();           // 导出
    void Command1_Click();            // 返回

    std::shared_ptr<Recordset> rows() const { return rows_; }
    bool inEditMode() const { return editMode_; }

    DataGrid* DataGrid1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command6[4] = {};
    QPushButton* Command4 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* Command13 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ProgramState& state_;
    QPushButton* addButton(QPushButton*& button, const QString& name, const QString& caption, void (fbTFixFm1::*handler)());
    bool hasRows() const;
    bool usable() const;
    void setEditMode(bool on);
    void showPosition();
    bool storePendingEdit();
    void reopen(const BoundSql& statement);
    void deleteMany(const std::function<void()>& deletion);
    void followClientRowsChanged();
    void rereadIfStale();
    void reread();
    void reportError(const QString& description);

    std::shared_ptr<Recordset> rows_;
    BoundSql statement_;
    QString planNoToDelete_;
    bool editMode_ = false;
    bool stale_ = false;   // targets changed elsewhere while a row was being typed
    TargetRowWriter writer_;
    QPointer<outputFm1> exportWindow_;
};
