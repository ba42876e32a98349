#pragma once

#include "campaign/PlanDesign.h"
#include "controls/FormWindow.h"

#include <memory>
#include <optional>

class ProgramState;
class DataGrid;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class Recordset;

// The plan editor: the plans as designed, one at a time in nine boxes and a content box,
// all of them in a grid; create, save, delete, cancel, load the content from a text file,
// and execute the plan shown.
class Form3 : public FormWindow {
    Q_OBJECT

public:
    explicit Form3(ProgramState& state);

    void displayRecord();
    void clearRecord();
    // The plan as the boxes hold it, each text trimmed.
    PlanDesign writeRecord() const;
    // Whether the boxes hold something the plan table does not.
    bool hasUnsavedChanges() const;

    void Command1_Click(int index);   // 创建, 保存, 删除, 取消, 返回
    void Command3_Click(int index);   // <<, <, >, >>
    void Command5_Click();            // 清空
    void Command2_Click();            // 加载txt文件
    void Command6_Click();            // 执行计划
    void DataGrid1_RowColChange();

    std::shared_ptr<Recordset> planTableRecordset() const { return planTableRecordset_; }
    int addMode() const { return addMode_; }

    QLineEdit* Text1[9] = {};
    QLabel* Label1[10] = {};
    QTextEdit* RichTextBox1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1[5] = {};
    QPushButton* Command3[4] = {};
    QPushButton* Command5 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command6 = nullptr;
    DataGrid* DataGrid1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ProgramState& state_;
    QWidget* buildFrame();
    void openPlans();
    void showPosition();
    void setBrowsing(bool browsing);
    void createPlan();
    bool savePlan();
    std::optional<qint64> storeBoxes();
    void showStoredRow(std::optional<qint64> key);
    bool settlePendingEdit();
    void deletePlan();
    void cancelEdit();
    void closeEditor();
    void refuse(const QString& description);

    std::shared_ptr<Recordset> planTableRecordset_;   // read to show the plans; written only through PlanDesigns
    int addMode_ = 0;
    PlanDesign shown_;                    // what the boxes showed when they were last filled
    std::optional<qint64> shownKey_;      // the plan row shown in the boxes, none for a new plan
    bool movingRows_ = false;             // the window itself moves the rows: not the user's choice
};
