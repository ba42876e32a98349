#pragma once

#include "controls/FormWindow.h"

class ProgramState;
class QPushButton;

// "导出文件": copies the current plan's targets with feedback into a table of the export
// database, a dBase file or a sheet of a workbook, read from the database when the button
// is pressed. The plan is the one current when the window opens. The window closes after
// an export; a cancelled dialog leaves it open.
class outputFm2 : public FormWindow {
    Q_OBJECT

public:
    // Exports the responding targets of plan `planNo`.
    outputFm2(const ProgramState& state, const QString& planNo);

    void Command1_Click(int index);   // 0 mdb, 1 dbf, 2 xls

    QPushButton* Command1[3] = {};

private:
    const ProgramState& state_;
    QString planNo_;
};
