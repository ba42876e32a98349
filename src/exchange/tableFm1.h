#pragma once

#include "controls/Dialogs.h"
#include "controls/FormWindow.h"

class QListWidget;
class QPushButton;
class mainFm3;

// The table chooser of the import window: lists the tables of an Access file or the
// worksheets of a workbook, and loads the one the user takes into the import window.
// It belongs to the one file it lists: a table taken in it is always read from that file.
class tableFm1 : public FormWindow {
    Q_OBJECT

public:
    // `button` is the import window's open button (0 Access, 1 Excel) that picked the file.
    tableFm1(mainFm3& importWindow, const FileChoice& file, int button, const QStringList& tableNames);

    const FileChoice& file() const { return file_; }
    int button() const { return button_; }

    void Command2_Click();   // 确认
    void Command1_Click();   // 返回

    QListWidget* List1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    mainFm3& importWindow_;
    FileChoice file_;
    int button_;
};
