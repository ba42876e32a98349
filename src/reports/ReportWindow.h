#pragma once

#include "ReportDefinition.h"
#include "ReportLayout.h"
#include "ReportPaging.h"
#include "controls/FormWindow.h"

#include <functional>
#include <memory>

class Connection;
class ProgramState;
class PagePreview;
class QAction;
class QComboBox;
class QFrame;
class QLineEdit;
class QMenuBar;
class QPrinter;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QToolBar;
class Recordset;
class RecordsetRows;
struct PageRequest;

// A report window: a true-size preview of one page, a tool bar that moves the title and
// the table and widens single boxes, five fonts, records per page, page navigation,
// printing of the pages from the one shown to the last (on paper or into a PDF file) and
// a test print of the page shown. A page never holds more rows than the paper does. Each window holds its own rows, layout and pages, so two reports open together
// never page each other's rows.
class ReportWindow : public FormWindow {
    Q_OBJECT

public:
    // The rows come from `rowsDatabase` when one is given (a table the program computed into a
    // database of its own), else from the program's database.
    ReportWindow(const ProgramState& state, const ReportDefinition& report,
                 std::shared_ptr<Connection> rowsDatabase = nullptr);
    ~ReportWindow() override;

    void Form_Load();
    void Combo1_Click(int index);
    void Command5_Click();      // 左移
    void Command6_Click();      // 右移
    void Command7_Click();      // 上移
    void Command11_Click();     // 下移
    void Command8_Click();      // 变窄
    void Command9_Click();      // 增宽
    void Command10_Click(int index);   // 记录数/页加, 减
    void Command4_Click(int index);    // <<, <, >, >>
    void Command2_Click();      // 打印
    void Command3_Click();      // 打印测试
    void sTitle_Click();
    void nField_Click();
    void wContent_Click();
    void numberFont_Click();
    void titleFont_Click();
    void tName2_Click();
    void pSetup2_Click();
    void pdfFile_Click();       // 输出PDF文件…: the pages 打印 would print, into a PDF file
    void trueSize_Click();      // the page at its true size
    void fitWidth_Click();      // the page as wide as the preview
    void Command1_Click();      // 返回

    // Draws the current page into the preview.
    void printA();
    // Prints pages currentPage to lastPage; false when nothing was printed.
    bool printB();

    const ReportLayout& layout() const { return layout_; }
    const ReportPaging& paging() const { return paging_; }
    const ReportDefinition& report() const { return report_; }
    // The printer the report prints on, with the paper chosen in the set-up.
    QPrinter& printer() const { return *printer_; }

    // Whether a printer is installed; when none is, printing writes a PDF file the user
    // names. Replaceable so tests never reach a real printer.
    std::function<bool()> printerInstalled;

    QFrame* Frame1 = nullptr;
    QLineEdit* Text5 = nullptr;
    QPushButton* Command10[2] = {};
    QPushButton* Command4[4] = {};
    QLineEdit* Text1[3] = {};
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command1 = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command11 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text6 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QScrollArea* Picture1 = nullptr;
    PagePreview* Picture2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const ProgramState& state_;
    void buildMenu(QMenuBar* bar);
    void buildTopBar();
    void buildToolbar();
    void openRows();
    void holdWidestValues();
    bool hasRecords() const;
    int recordsPerPage() const;
    void showPageBoxes();
    void showCurrentPage();
    void move(double tableDx, double tableDy, int titleDx, double titleDy, QLineEdit* box);
    void widenBox(int by);
    void chooseFont(FontSpec& font);
    PageRequest request(int page) const;
    void setRecordsPerPage(int size);
    void zoomTo(double zoom);
    int rowsThatFit() const;
    bool keepRowsOnPaper();
    bool printPages(QPrinter& printer);
    std::unique_ptr<QPrinter> pdfPrinter(const QString& title);
    void reportError(const QString& description);

    ReportDefinition report_;
    ReportLayout layout_;
    ReportPaging paging_;
    std::shared_ptr<Connection> rowsDatabase_;
    std::shared_ptr<Recordset> recordset_;
    std::unique_ptr<RecordsetRows> rows_;
    std::unique_ptr<QPrinter> printer_;
    QString planNo_;
    QString planTitle_;
    int currentBox_ = 1;
};
