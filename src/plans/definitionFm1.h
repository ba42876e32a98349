#pragma once

#include "controls/FormWindow.h"

#include <memory>

class ProgramState;
class QLabel;
class QLineEdit;
class QPushButton;
class Recordset;

// The product mapping: the display names of the five product slots.
class definitionFm1 : public FormWindow {
    Q_OBJECT

public:
    explicit definitionFm1(ProgramState& state);

    void displayRecord();
    void writeRecord();
    void Command2_Click();   // "保存定义"
    void Command1_Click();   // "返回"

    QLineEdit* Text1[5] = {};
    QLabel* Label1[5] = {};
    QLabel* statusLine = nullptr;   // says where the names were saved
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

private:
    ProgramState& state_;
};
