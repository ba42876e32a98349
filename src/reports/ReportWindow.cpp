#include "ReportWindow.h"
#include "ReportDefinitions.h"

#include "PageComposer.h"
#include "PagePreview.h"
#include "RecordsetRows.h"
#include "ReportPrinter.h"
#include "TextMeasure.h"
#include "campaign/ProgramState.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "controls/NamedWidgets.h"
#include "controls/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 9000;
constexpr int RecordsPerPageAtLoad = 40;

// The page surface's own font, whose "宽" sets how far the title moves left or right.
FontSpec surfaceFont()
{
    FontSpec font;
    font.name = QStringLiteral("宋体");
    font.size = 9;
    return font;
}

FontChoice fontChoice(const FontSpec& reportFont)
{
    FontChoice choice;
    choice.name = reportFont.name;
    choice.size = reportFont.size;
    choice.bold = reportFont.bold;
    choice.italic = reportFont.italic;
    choice.strikethrough = reportFont.strikethru;
    choice.underline = reportFont.underline;
    choice.color = reportFont.color;
    return choice;
}

FontSpec fontSpec(const FontChoice& choice, const FontSpec& before)
{
    FontSpec reportFont;
    reportFont.name = choice.name;
    reportFont.size = choice.size > 0 ? choice.size : before.size;
    reportFont.bold = choice.bold;
    reportFont.italic = choice.italic;
    reportFont.strikethru = choice.strikethrough;
    reportFont.underline = choice.underline;
    reportFont.color = choice.color.isValid() ? choice.color : before.color;
    return reportFont;
}

QString pageText(int page)
{
    return QStringLiteral("第 ") + QString::number(page) + QStringLiteral(" 页");
}

// The hourglass while the window works, restored whatever happens.
class BusyCursor {
public:
    explicit BusyCursor(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QPushButton* button(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = NamedWidgets::button(name, caption, parent);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* displayBox(const QString& name, int width, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setFixedWidth(width);
    return box;
}

} // namespace

ReportWindow::ReportWindow(const ProgramState& state, const ReportDefinition& report,
                           std::shared_ptr<Connection> rowsDatabase)
    : FormWindow(report.windowName, report.caption, WidthTwips, HeightTwips), state_(state),
      report_(ReportDefinitions::withProductNames(report, state.productNames())), rowsDatabase_(std::move(rowsDatabase)),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    printerInstalled = [] { return !QPrinterInfo::availablePrinters().isEmpty(); };
    ReportPrinter::choosePaper(*printer_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    buildMenu(bar);
    layout->setMenuBar(bar);

    buildTopBar();
    layout->addWidget(Frame1);
    buildToolbar();
    layout->addWidget(Toolbar1);

    Picture1 = new QScrollArea(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setBackgroundRole(QPalette::Dark);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->horizontalScrollBar()->setObjectName(QStringLiteral("HScroll1"));
    Picture1->verticalScrollBar()->setObjectName(QStringLiteral("VScroll1"));
    Picture1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    Picture1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* desk = new QWidget;
    auto* deskLayout = new QVBoxLayout(desk);
    deskLayout->setContentsMargins(12, 12, 12, 12);
    Picture2 = new PagePreview(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    deskLayout->addWidget(Picture2);
    Picture1->setWidget(desk);
    Picture1->viewport()->installEventFilter(this);
    layout->addWidget(Picture1, 1);

    Form_Load();
}

ReportWindow::~ReportWindow() = default;

void ReportWindow::buildMenu(QMenuBar* bar)
{
    auto menu = [bar](const QString& name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        return m;
    };
    auto item = [this](QMenu* m, const QString& name, const QString& caption, void (ReportWindow::*handler)()) {
        QAction* action = m->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    QMenu* file1 = menu(QStringLiteral("file1"), QStringLiteral("文件"));
    item(file1, QStringLiteral("pdfFile"), QStringLiteral("输出PDF文件…"), &ReportWindow::pdfFile_Click);
    file1->addSeparator();
    item(file1, QStringLiteral("exit"), QStringLiteral("退出"), &ReportWindow::Command1_Click);
    QMenu* view1 = menu(QStringLiteral("view1"), QStringLiteral("显示"));
    item(view1, QStringLiteral("trueSize"), QStringLiteral("实际大小"), &ReportWindow::trueSize_Click);
    item(view1, QStringLiteral("fitWidth"), QStringLiteral("适合页宽"), &ReportWindow::fitWidth_Click);
    QMenu* wSelect = menu(QStringLiteral("wSelect"), QStringLiteral("文字选择"));
    item(wSelect, QStringLiteral("sTitle"), QStringLiteral("标题字符"), &ReportWindow::sTitle_Click);
    item(wSelect, QStringLiteral("nField"), QStringLiteral("字段名字符"), &ReportWindow::nField_Click);
    item(wSelect, QStringLiteral("wContent"), QStringLiteral("内容字符"), &ReportWindow::wContent_Click);
    item(wSelect, QStringLiteral("numberFont"), QStringLiteral("序号字符"), &ReportWindow::numberFont_Click);
    if (report_.hasSubjectFontItem)
        item(wSelect, QStringLiteral("titleFont"), QStringLiteral("题目字符"), &ReportWindow::titleFont_Click);
    QMenu* tName = menu(QStringLiteral("tName"), QStringLiteral("输入标题"));
    item(tName, QStringLiteral("tName2"), QStringLiteral("标题"), &ReportWindow::tName2_Click);
    QMenu* pSetup = menu(QStringLiteral("pSetup"), QStringLiteral("打印机设置"));
    item(pSetup, QStringLiteral("pSetup2"), QStringLiteral("设置"), &ReportWindow::pSetup2_Click);
}

void ReportWindow::buildTopBar()
{
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(Frame1);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(3);

    Text5 = displayBox(QStringLiteral("Text5"), 40, Frame1);
    Text5->setToolTip(QStringLiteral("每页记录数"));
    row->addWidget(Text5);
    Command10[0] = button(QStringLiteral("Command10(0)"), QStringLiteral("记录数/页加"), Frame1);
    Command10[1] = button(QStringLiteral("Command10(1)"), QStringLiteral("减"), Frame1);
    Command10[1]->setFixedWidth(32);
    for (int i = 0; i < 2; ++i) {
        row->addWidget(Command10[i]);
        connect(Command10[i], &QPushButton::clicked, this, [this, i] { Command10_Click(i); });
    }
    const QString arrows[4] = {QStringLiteral("<<"), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral(">>")};
    for (int i = 0; i < 4; ++i) {
        Command4[i] = button(QStringLiteral("Command4(%1)").arg(i), arrows[i], Frame1);
        Command4[i]->setFixedWidth(32);
        row->addWidget(Command4[i]);
        connect(Command4[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
    }
    for (int i = 0; i < 3; ++i) {
        Text1[i] = displayBox(QStringLiteral("Text1(%1)").arg(i), 88, Frame1);
        row->addWidget(Text1[i]);
    }
    row->addStretch(1);
    Command3 = button(QStringLiteral("Command3"), QStringLiteral("打印测试"), Frame1);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("打印"), Frame1);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("返回"), Frame1);
    for (QPushButton* b : {Command3, Command2, Command1})
        row->addWidget(b);
    connect(Command3, &QPushButton::clicked, this, &ReportWindow::Command3_Click);
    connect(Command2, &QPushButton::clicked, this, &ReportWindow::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &ReportWindow::Command1_Click);
}

void ReportWindow::buildToolbar()
{
    Toolbar1 = new QToolBar(this);
    Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    Option1 = new QRadioButton(QStringLiteral("表位移"), Toolbar1);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option2 = new QRadioButton(QStringLiteral("标题位移"), Toolbar1);
    Option2->setObjectName(QStringLiteral("Option2"));
    // The table is what users move most; the title follows its own option.
    Option1->setChecked(true);
    Toolbar1->addWidget(Option1);
    Toolbar1->addWidget(Option2);
    Toolbar1->addSeparator();

    auto mover = [this](QPushButton*& b, QLineEdit*& box, const QString& name, const QString& caption,
                        const QString& boxName, const QString& tip, void (ReportWindow::*handler)()) {
        b = button(name, caption, Toolbar1);
        b->setFixedWidth(44);
        box = displayBox(boxName, 40, Toolbar1);
        box->setToolTip(tip);
        Toolbar1->addWidget(b);
        Toolbar1->addWidget(box);
        connect(b, &QPushButton::clicked, this, handler);
    };
    mover(Command5, Text2, QStringLiteral("Command5"), QStringLiteral("左移"), QStringLiteral("Text2"),
          QStringLiteral("左移位移数"), &ReportWindow::Command5_Click);
    mover(Command6, Text3, QStringLiteral("Command6"), QStringLiteral("右移"), QStringLiteral("Text3"),
          QStringLiteral("右移位移数"), &ReportWindow::Command6_Click);
    mover(Command7, Text4, QStringLiteral("Command7"), QStringLiteral("上移"), QStringLiteral("Text4"),
          QStringLiteral("上移位移数"), &ReportWindow::Command7_Click);
    mover(Command11, Text6, QStringLiteral("Command11"), QStringLiteral("下移"), QStringLiteral("Text6"),
          QStringLiteral("下移位移数"), &ReportWindow::Command11_Click);
    Toolbar1->addSeparator();

    Combo1 = new QComboBox(Toolbar1);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    Combo1->lineEdit()->setReadOnly(true);
    Combo1->setMinimumContentsLength(9);
    Toolbar1->addWidget(Combo1);
    connect(Combo1, &QComboBox::activated, this, &ReportWindow::Combo1_Click);
    Command8 = button(QStringLiteral("Command8"), QStringLiteral("变窄"), Toolbar1);
    Command9 = button(QStringLiteral("Command9"), QStringLiteral("增宽"), Toolbar1);
    for (QPushButton* b : {Command8, Command9}) {
        b->setFixedWidth(44);
        Toolbar1->addWidget(b);
    }
    connect(Command8, &QPushButton::clicked, this, &ReportWindow::Command8_Click);
    connect(Command9, &QPushButton::clicked, this, &ReportWindow::Command9_Click);
}

void ReportWindow::Form_Load()
{
    BusyCursor busy(Qt::WaitCursor);
    for (QLineEdit* box : {Text2, Text3, Text4, Text6})
        box->clear();
    openRows();

    Combo1->clear();
    Combo1->addItems(report_.boxNames);
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("方框宽窄调整"));
    currentBox_ = 1;

    const int charWidth = int(TextMeasure::textWidth(QStringLiteral("宽"), surfaceFont()));
    layout_ = ReportLayout::defaults(report_, charWidth);
    ReportPrinter::prepare(*printer_);
    Picture2->setPageSize(ReportPrinter::pageSize(*printer_));
    holdWidestValues();

    if (hasRecords()) {
        const int size = std::min(RecordsPerPageAtLoad, rowsThatFit());
        recordset_->setPageSize(size);
        recordset_->moveFirst();
        paging_.reset(recordset_->pageCount());
        Text5->setText(QString::number(size));
        Text1[2]->setText(pageText(recordset_->absolutePage()));
    } else {
        paging_.reset(0);
        Text5->setText(QStringLiteral("0"));
        Text1[2]->setText(pageText(0));
    }
    Text1[0]->setText(QStringLiteral("终止页：") + QString::number(paging_.lastPage));
    Text1[1]->setText(QStringLiteral("起始页：") + QString::number(paging_.currentPage));
    printA();
}

// Phone, fax and e-mail columns start as wide as the longest value printed needs, within the
// page: a printed phone number is never cut.
void ReportWindow::holdWidestValues()
{
    QList<QStringList> printed;
    try {
        for (int position = 1; position <= rows_->count(); ++position)
            printed.append(rows_->rowTexts(position));
    } catch (const DbError&) {
        return;   // the columns keep their widths; the pages say what cannot be read
    }
    constexpr double PageMargin = 10;
    const QStringList fields = {QStringLiteral("电话1"), QStringLiteral("传真"), QStringLiteral("Email")};
    layout_.holdWidestValues(report_, printed, fields, ReportPrinter::pageSize(*printer_).width() - PageMargin,
                             &TextMeasure::textWidth);
}

void ReportWindow::openRows()
{
    planNo_ = state_.currentPlanNo();
    planTitle_ = state_.currentPlanTitle();
    recordset_.reset();
    // A report that cannot be read opens empty: the window opens in any case.
    try {
        recordset_ = rowsDatabase_ ? std::make_shared<Recordset>(rowsDatabase_, report_.query(planNo_))
                                   : state_.openRecordset(report_.query(planNo_));
    } catch (const DbError&) {
        recordset_.reset();
    }
    rows_ = std::make_unique<RecordsetRows>(recordset_, report_);
}

bool ReportWindow::hasRecords() const
{
    return recordset_ && recordset_->recordCount() > 0;
}

int ReportWindow::recordsPerPage() const
{
    return recordset_ ? recordset_->pageSize() : 0;
}

void ReportWindow::Combo1_Click(int index)
{
    if (index >= 0)
        currentBox_ = index + 1;
}

void ReportWindow::move(double tableDx, double tableDy, int titleDx, double titleDy, QLineEdit* box)
{
    if (!hasRecords())
        return;
    double shown = 0;
    if (Option1->isChecked()) {
        layout_.tableX += tableDx;
        layout_.tableGap += tableDy;
        shown = tableDx != 0 ? layout_.tableX : layout_.tableGap;
    } else if (Option2->isChecked()) {
        layout_.titleX += titleDx;
        layout_.titleY += titleDy;
        shown = titleDx != 0 ? layout_.titleX : layout_.titleY;
    } else {
        return;
    }
    box->setText(QString::number(shown));
    if (!keepRowsOnPaper())
        printA();
}

void ReportWindow::Command5_Click()
{
    move(-1, 0, -layout_.charWidth, 0, Text2);
}

void ReportWindow::Command6_Click()
{
    move(1, 0, layout_.charWidth, 0, Text3);
}

void ReportWindow::Command7_Click()
{
    move(0, -1, 0, -1, Text4);
}

void ReportWindow::Command11_Click()
{
    move(0, 1, 0, 1, Text6);
}

void ReportWindow::widenBox(int by)
{
    if (!hasRecords() || currentBox_ < 1 || currentBox_ > ReportLayout::BoxCount)
        return;
    int& shift = layout_.boxShift[currentBox_ - 1];
    shift += by;
    // The new shift, with the name of the box it belongs to.
    Combo1->setEditText(report_.boxNames.value(currentBox_ - 1) + QStringLiteral("：") + QString::number(shift));
    printA();
}

void ReportWindow::Command8_Click()
{
    widenBox(-1);
}

void ReportWindow::Command9_Click()
{
    widenBox(1);
}

void ReportWindow::Command10_Click(int index)
{
    if (!hasRecords())
        return;
    // At least one record per page: "减" stops there. "记录数/页加" stops at the rows the
    // paper holds: more would print below its edge.
    const int fit = rowsThatFit();
    if (index == 0 && recordsPerPage() >= fit) {
        Dialogs::instance().message(QStringLiteral("每页最多打印 %1 条记录。").arg(fit), QStringLiteral("信息提示"),
                                    MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    setRecordsPerPage(std::max(1, recordsPerPage() + (index == 0 ? 1 : -1)));
}

void ReportWindow::setRecordsPerPage(int size)
{
    recordset_->setPageSize(size);
    paging_.reset(recordset_->pageCount());
    Text1[2]->setText(pageText(paging_.currentPage));
    Text1[0]->setText(QStringLiteral("终止页：") + QString::number(paging_.lastPage));
    Text1[1]->setText(QStringLiteral("起始页：") + QString::number(paging_.currentPage));
    Text5->setText(QString::number(size));
    printA();
}

int ReportWindow::rowsThatFit() const
{
    const PageComposer composer(report_, layout_, &TextMeasure::textWidth);
    return composer.rowsThatFit(Picture2->pageSize().height(), request(1));
}

bool ReportWindow::keepRowsOnPaper()
{
    if (!hasRecords() || recordsPerPage() <= rowsThatFit())
        return false;
    setRecordsPerPage(rowsThatFit());
    return true;
}

void ReportWindow::Command4_Click(int index)
{
    if (!hasRecords() || recordset_->pageCount() == 0)
        return;
    Text1[0]->setText(QStringLiteral("终止页：") + QString::number(paging_.lastPage));
    Text1[1]->setText(QStringLiteral("起始页：") + QString::number(paging_.firstPage));
    paging_.navigate(index, recordset_->absolutePage());
    printA();
    Text1[2]->setText(pageText(paging_.currentPage));
}

void ReportWindow::Command2_Click()
{
    printB();
}

void ReportWindow::Command3_Click()
{
    if (!hasRecords())
        return;
    const int savedLastPage = paging_.lastPage;
    paging_.lastPage = paging_.currentPage;
    printB();
    paging_.lastPage = savedLastPage;
}

void ReportWindow::chooseFont(FontSpec& font)
{
    const std::optional<FontChoice> choice = Dialogs::instance().chooseFont(fontChoice(font));
    if (!choice)
        return;
    font = fontSpec(*choice, font);
    if (!keepRowsOnPaper())
        printA();
}

void ReportWindow::sTitle_Click()
{
    chooseFont(layout_.titleFont);
}

void ReportWindow::nField_Click()
{
    chooseFont(layout_.fieldFont);
}

void ReportWindow::wContent_Click()
{
    chooseFont(layout_.contentFont);
}

void ReportWindow::numberFont_Click()
{
    chooseFont(layout_.numberFont);
}

void ReportWindow::titleFont_Click()
{
    chooseFont(layout_.subjectFont);
}

void ReportWindow::tName2_Click()
{
    layout_.reportTitle = Dialogs::instance()
                              .input(QStringLiteral("请输入标题："), QStringLiteral("标题输入"), QString())
                              .value_or(QString());
    printA();
}

void ReportWindow::pSetup2_Click()
{
    Dialogs::instance().printerSetup(*printer_);
    // The paper chosen stays; only the orientation is the report's own.
    ReportPrinter::prepare(*printer_);
    Picture2->setPageSize(ReportPrinter::pageSize(*printer_));
    Picture1->widget()->adjustSize();
    if (!keepRowsOnPaper())
        printA();
}

void ReportWindow::trueSize_Click()
{
    zoomTo(1);
}

void ReportWindow::fitWidth_Click()
{
    // The desk around the page keeps a margin of 12 dots on either side.
    zoomTo(Picture2->zoomForWidth(Picture1->viewport()->width() - 24));
}

void ReportWindow::zoomTo(double zoom)
{
    Picture2->setZoom(zoom);
    // The desk shrinks or grows with the page, so no empty desk is left to scroll over.
    Picture1->widget()->adjustSize();
}

bool ReportWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Picture1->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / 120;
            if (steps != 0)
                zoomTo(std::clamp(Picture2->zoom() * std::pow(1.25, steps), 0.25, 4.0));
            return true;
        }
    }
    return FormWindow::eventFilter(watched, event);
}

void ReportWindow::Command1_Click()
{
    close();
}

PageRequest ReportWindow::request(int page) const
{
    PageRequest request;
    request.page = page;
    request.recordsPerPage = recordsPerPage();
    request.planNo = planNo_;
    request.planTitle = planTitle_;
    request.pageWidth = Picture2->pageSize().width();
    return request;
}

void ReportWindow::printA()
{
    if (!hasRecords()) {
        Picture2->showPage(ReportPage());
        return;
    }
    const PageComposer composer(report_, layout_, &TextMeasure::textWidth);
    try {
        Picture2->showPage(composer.compose(*rows_, request(paging_.currentPage)));
    } catch (const DbError& error) {
        Picture2->showPage(ReportPage());
        reportError(error.description());
    }
}

std::unique_ptr<QPrinter> ReportWindow::pdfPrinter(const QString& title)
{
    FileDialogRequest ask;
    ask.title = title;
    ask.filter = QStringLiteral("PDF文件|*.pdf");
    ask.defaultExt = QStringLiteral("pdf");
    ask.flags = FileDialogFlag::OverwritePrompt | FileDialogFlag::HideReadOnly | FileDialogFlag::PathMustExist;
    ask.fileName = report_.caption + QStringLiteral(".pdf");
    const std::optional<FileChoice> file = Dialogs::instance().saveFile(ask);
    if (!file)
        return nullptr;
    auto pdf = std::make_unique<QPrinter>(QPrinter::HighResolution);
    pdf->setOutputFormat(QPrinter::PdfFormat);
    pdf->setOutputFileName(file->path);
    pdf->setDocName(layout_.reportTitle.isEmpty() ? report_.caption : layout_.reportTitle);
    // The paper the user chose in the printer set-up.
    pdf->setPageLayout(printer_->pageLayout());
    ReportPrinter::prepare(*pdf);
    return pdf;
}

bool ReportWindow::printB()
{
    if (!hasRecords())
        return false;
    QPrinter* printer = printer_.get();
    std::unique_ptr<QPrinter> pdf;
    const bool setUpForPdf = printer_->outputFormat() == QPrinter::PdfFormat && !printer_->outputFileName().isEmpty();
    if (!setUpForPdf && !printerInstalled()) {
        pdf = pdfPrinter(QStringLiteral("打印到PDF文件"));
        if (!pdf)
            return false;
        printer = pdf.get();
    }
    return printPages(*printer);
}

void ReportWindow::pdfFile_Click()
{
    if (!hasRecords())
        return;
    const std::unique_ptr<QPrinter> pdf = pdfPrinter(QStringLiteral("输出PDF文件"));
    if (pdf && printPages(*pdf))
        Dialogs::instance().message(QStringLiteral("已输出到PDF文件：%1").arg(QDir::toNativeSeparators(pdf->outputFileName())),
                                    QStringLiteral("提示信息"), MsgButtons::Ok, MsgIcon::Information);
}

bool ReportWindow::printPages(QPrinter& printer)
{
    const PageComposer composer(report_, layout_, &TextMeasure::textWidth);
    auto pageAt = [&](int page) {
        PageRequest paper = request(page);
        paper.target = PageTarget::Paper;
        return composer.compose(*rows_, paper);
    };
    auto printed = [this](int) { Text1[2]->setText(pageText(recordset_->absolutePage())); };
    const int last = std::min(paging_.lastPage, recordset_->pageCount());
    QString error;
    {
        BusyCursor busy(Qt::BusyCursor);
        try {
            error = ReportPrinter::print(printer, paging_.currentPage, last, pageAt, printed);
        } catch (const DbError& dbError) {
            error = dbError.description();
        }
    }
    // Back to the page shown before: it is still the first page "打印" prints, and
    // navigation goes on from it.
    printA();
    Text1[2]->setText(pageText(paging_.currentPage));
    if (!error.isEmpty()) {
        reportError(error);
        return false;
    }
    return true;
}

void ReportWindow::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("提示信息"), MsgButtons::Ok, MsgIcon::Exclamation);
}
