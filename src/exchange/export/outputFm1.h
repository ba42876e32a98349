#pragma once

#include "controls/FormWindow.h"
#include "exchange/destinations/ExportRows.h"

class ProgramState;
class QGroupBox;
class QPushButton;
class QRadioButton;

// "客户数据导出": copies the target table of every plan (all targets, or only those with
// feedback) into a table of the export database, a dBase file or a sheet of a workbook.
// It closes after "确定", however the export ended.
class outputFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit outputFm1(const ProgramState& state);

    void Command1_Click();   // 确定
    void Command2_Click();   // 返回
    // Runs the export from the window's row selection and file kind.
    void outputFile();

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    const ProgramState& state_;
    ExportRows rowSelection_;
    QString fileKind_;   // "mdb", "dbf", "xls" or empty
};
