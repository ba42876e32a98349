#pragma once

#include "controls/FormWindow.h"

class QListWidget;
class QPushButton;
class mainFm3;

// The table chooser of the import window: lists the tables of an Access file or the
// worksheets of a workbook, and loads the one the user takes into the import window.
class tableFm1 : public FormWindow {
    Q_OBJECT

public:
    tableFm1(mainFm3& importWindow, const QStringList& tableNames);

    void Command2_Click();   // 确认
    void Command1_Click();   // 返回

    QListWidget* List1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    mainFm3& importWindow_;
};
