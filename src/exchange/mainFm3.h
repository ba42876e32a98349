#pragma once

#include "controls/FormWindow.h"
#include "exchange/sources/SourceReader.h"

#include <QPointer>
#include <memory>

struct FileChoice;
class ImportSource;
class ProgramState;
class DataGrid;
class QAction;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class Recordset;
class tableFm1;

// The import window: opens an Access, Excel or dBase file (and .accdb, .xlsx, .csv), shows
// the chosen table, pairs its columns with the target columns and appends its rows to the
// target table as the current plan's targets. It also empties the whole target table.
class mainFm3 : public FormWindow {
    Q_OBJECT

public:
    // `source` is the file the import reads from, kept by the opener from one opening to the next.
    mainFm3(ProgramState& state, ImportSource& source);
    ~mainFm3() override;

    void Command4_Click(int index);   // open an Access, Excel or dBase source
    void Command6_Click(int index);   // source navigation
    void Command3_Click(int index);   // List1 ↔ List2
    void Command8_Click(int index);   // List4 ↔ List3
    void Command5_Click();            // 确认: the import pass
    void Command2_Click();            // 复原
    void Command7_Click(int index);   // target navigation
    void Command9_Click();            // 清空数据
    void Command1_Click();            // 返回
    void exit_Click();                // 文件 → 退出: asks the main window to end the program

signals:
    // 文件 › 退出: the program ends as through the main window's exit, each window asking
    // about what it has not saved.
    void exitRequested();

public:

    // What the chooser does with the table the user took: loads it from the chooser's file
    // and shows it here. A chooser of an earlier opening has no say any more.
    void tableChosen(const tableFm1& chooser, const QString& tableName);
    // The chooser closed; the window's pointer is the default again.
    void chooserClosed(const tableFm1& chooser);

    tableFm1* chooser() const;   // the open table chooser, if any
    std::shared_ptr<Recordset> targetRecordset() const { return targetRecordset_; }
    std::shared_ptr<Recordset> importRecordset() const { return importRecordset_; }

    QPushButton* Command4[3] = {};
    QLabel* Label1 = nullptr;
    DataGrid* DataGrid1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command6[4] = {};
    QLabel* Label2 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QListWidget* List3 = nullptr;
    QListWidget* List4 = nullptr;
    QPushButton* Command3[4] = {};
    QPushButton* Command8[4] = {};
    QPushButton* Command5 = nullptr;
    QPushButton* Command2 = nullptr;
    DataGrid* DataGrid2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command7[4] = {};
    QPushButton* Command9 = nullptr;
    QPushButton* Command1 = nullptr;
    QAction* exitAction = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    ProgramState& state_;
    ImportSource& source_;
    QWidget* buildSourceSide();
    QWidget* buildMapping();
    QWidget* buildTargetSide();
    QPushButton* addButton(const QString& name, const QString& caption);

    void Form_Load();
    void openAccessOrExcel(int index, const FileChoice& choice, const QStringList& tables);
    void closeChooser();
    void openDbase(const FileChoice& choice, const QStringList& tables);
    bool loadTable(const QString& path, const QString& tableName);
    void showSourceRows();
    void fillSourceColumns();
    void refreshTargets();
    void openTargetView(const QString& statement);
    void runPass(const QStringList& targetColumns);
    void showPassResult();
    void setBusy(bool busy);
    void reportFileError(const QString& fileTitle, const QString& description);
    void reportError(const QString& description);

    std::shared_ptr<Recordset> importRecordset_;
    std::shared_ptr<Recordset> targetRecordset_;
    QPointer<tableFm1> chooser_;
    bool busy_ = false;
};
