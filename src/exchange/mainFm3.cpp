#include "mainFm3.h"

#include "campaign/ImportPass.h"
#include "ImportRules.h"
#include "ImportSource.h"
#include "campaign/TargetRows.h"
#include "tableFm1.h"

#include "controls/DataGrid.h"
#include "controls/Dialogs.h"
#include "controls/RecordControls.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Navigation.h"
#include "core/Recordset.h"
#include "core/TextRules.h"
#include "exchange/sources/SourceFiles.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 8800;

const QString InfoTitle = QStringLiteral("信息提示");
const QString WholeTargetView = QStringLiteral(
    "Select 营销对象, 电话1, 电话2, 传真, 联系人1, 联系人2, 地址, 邮政编码, \"Email\" From \"clientTableInfo\"");
const QString TargetViewAfterEmptying = QStringLiteral(
    "Select 营销对象, 电话1, 电话2, 传真, 联系人1, 联系人2, 地址, 邮政编码 From \"clientTableInfo\"");

// What each open button asks the open dialog and how Label1 names the opened file.
struct SourceButton {
    const char* filter;
    const char* defaultExt;
    const char* caption;
};
// The Access and Excel buttons also take the newer formats; the reader is chosen by what
// the file holds, whatever its extension.
const SourceButton SourceButtons[3] = {
    {"所有文件|*.*|Access数据库|*.mdb;*.accdb|mdb文件|*.mdb|accdb文件|*.accdb", "mdb", "MDB数据\\"},
    {"所有文件|*.*|Excel文件|*.xls;*.xlsx;*.csv|xls文件|*.xls|xlsx文件|*.xlsx|csv文件|*.csv", "xls", "XLS数据\\"},
    {"所有文件|*.*|dbf文件|*.dbf", "dbf", "DBF数据\\"},
};
constexpr int OpenDialogFlags = 34822;

// The second line of the message after a pass: how many rows it added (and left out), and
// every value it changed on the way: rows stored without a name, texts cut by field.
QString importedCountText(const ImportOutcome& outcome)
{
    QString text = QStringLiteral("已导入 %1 条记录").arg(outcome.rowsStored);
    if (outcome.duplicatesSkipped > 0)
        text += QStringLiteral("，跳过 %1 条重复记录").arg(outcome.duplicatesSkipped);
    if (outcome.namelessSkipped > 0)
        text += QStringLiteral("，跳过 %1 条没有营销对象的记录").arg(outcome.namelessSkipped);
    if (outcome.namelessStored > 0)
        text += QStringLiteral("，其中 %1 条没有营销对象").arg(outcome.namelessStored);
    text += QStringLiteral("。");
    QStringList cuts;
    for (const auto& [field, count] : outcome.cutValues)
        cuts << QStringLiteral("“%1”%2 条").arg(field).arg(count);
    if (!cuts.isEmpty())
        text += QStringLiteral("\n超过字段长度而被截短的内容：%1。").arg(cuts.join(QStringLiteral("，")));
    return text;
}

// "第 3、7、12 条" and "等" when there are more than those listed.
QString rowNumbersText(const QList<int>& numbers, int total)
{
    QStringList texts;
    for (int number : numbers)
        texts << QString::number(number);
    return QStringLiteral("第 %1 条%2").arg(texts.join(QStringLiteral("、")), total > numbers.size() ? QStringLiteral("等") : QString());
}

// The question before a pass that would store rows without a 营销对象.
QString namelessQuestion(int count, const QList<int>& first)
{
    return QStringLiteral("有 %1 条记录没有营销对象（%2）。\n是否跳过这些记录？选“否”则照样导入。")
        .arg(count)
        .arg(rowNumbersText(first, count));
}

// The question before a pass that would store targets twice: which kind, and the first rows.
QString duplicatesQuestion(const DuplicateRows& duplicates)
{
    QStringList kinds;
    if (duplicates.alreadyStored > 0)
        kinds << QStringLiteral("%1 条与本计划已有的营销对象重复").arg(duplicates.alreadyStored);
    if (duplicates.repeatedInSource > 0)
        kinds << QStringLiteral("%1 条在所选数据中重复出现").arg(duplicates.repeatedInSource);
    QString text = QStringLiteral("发现 %1 条重复的记录（营销对象和电话1相同）：%2。\n")
                       .arg(duplicates.count())
                       .arg(kinds.join(QStringLiteral("，")));
    for (const DuplicateRows::Row& row : duplicates.first)
        text += QStringLiteral("第 %1 条：%2（%3）\n")
                    .arg(row.number)
                    .arg(row.phone.isEmpty() ? row.name : row.name + QLatin1Char(' ') + row.phone,
                         row.alreadyStored ? QStringLiteral("本计划已有") : QStringLiteral("与前面的记录相同"));
    if (duplicates.count() > duplicates.first.size())
        text += QStringLiteral("……\n");
    return text + QStringLiteral("是否跳过这些记录？");
}

void moveSelected(QListWidget* from, QListWidget* to)
{
    // Walks from the top; after a move the next item has taken the same index.
    int index = 0;
    while (index < from->count()) {
        QListWidgetItem* item = from->item(index);
        if (item->isSelected()) {
            to->addItem(item->text());
            delete from->takeItem(index);
        } else {
            ++index;
        }
    }
}

void moveAll(QListWidget* from, QListWidget* to)
{
    for (int index = 0; index < from->count(); ++index)
        to->addItem(from->item(index)->text());
    from->clear();
}

QStringList itemsOf(const QListWidget* list)
{
    QStringList items;
    for (int index = 0; index < list->count(); ++index)
        items << list->item(index)->text();
    return items;
}

QListWidget* mappingList(const QString& name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setMinimumWidth(90);
    return list;
}

// Marks the window busy for the length of a load or a pass, also when it ends by an exception.
class BusyScope {
public:
    BusyScope(const std::function<void(bool)>& setBusy) : setBusy_(setBusy) { setBusy_(true); }
    ~BusyScope() { setBusy_(false); }

private:
    std::function<void(bool)> setBusy_;
};

} // namespace

mainFm3::mainFm3(ProgramState& state, ImportSource& source)
    : FormWindow(QStringLiteral("mainFm3"), QStringLiteral("导入数据"), WidthTwips, HeightTwips), state_(state),
      source_(source)
{
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    QMenu* file = bar->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("openFile"));
    exitAction = file->addAction(QStringLiteral("退出"));
    exitAction->setObjectName(QStringLiteral("exit"));
    connect(exitAction, &QAction::triggered, this, &mainFm3::exit_Click);
    layout->setMenuBar(bar);

    auto* openRow = new QHBoxLayout;
    static const char* const openCaptions[3] = {"打开数据库（.MDB）", "打开数据库（.XLS）", "打开数据库（.DBF）"};
    for (int i = 0; i < 3; ++i) {
        Command4[i] = addButton(QStringLiteral("Command4(%1)").arg(i), QString::fromUtf8(openCaptions[i]));
        connect(Command4[i], &QPushButton::clicked, this, [this, i] { Command4_Click(i); });
        openRow->addWidget(Command4[i]);
    }
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    openRow->addSpacing(12);
    openRow->addWidget(Label1, 1);
    // The file's name takes the room the buttons leave, whether shown or not, so the
    // buttons keep their size when it appears, and a long name does not widen the window.
    QSizePolicy fileRoom(QSizePolicy::Ignored, QSizePolicy::Preferred);
    fileRoom.setRetainSizeWhenHidden(true);
    Label1->setSizePolicy(fileRoom);
    layout->addLayout(openRow);

    auto* middle = new QHBoxLayout;
    middle->addWidget(buildSourceSide(), 5);
    middle->addWidget(buildMapping(), 6);
    layout->addLayout(middle, 1);
    layout->addWidget(buildTargetSide(), 1);

    connect(this, &FormWindow::activated, this, &mainFm3::refreshTargets);
    connect(&state_, &ProgramState::changed, this, [this](const ChangeNotice& notice) {
        if (notice.table == ChangeNotice::Table::Targets)
            refreshTargets();
    });
    Form_Load();
}

mainFm3::~mainFm3() = default;

tableFm1* mainFm3::chooser() const
{
    // A closed chooser lingers until the event loop deletes it; it is no longer open.
    return chooser_ && chooser_->isVisible() ? chooser_.data() : nullptr;
}

QPushButton* mainFm3::addButton(const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    return button;
}

QWidget* mainFm3::buildSourceSide()
{
    const RecordControls::GridArea source = RecordControls::gridWithNavigation(
        this, QStringLiteral("DataGrid1"), QStringLiteral("Text1"), Command6, QStringLiteral("Command6"),
        [this](int i) { Command6_Click(i); });
    DataGrid1 = source.grid;
    Text1 = source.position;
    source.row->addStretch(1);
    return source.area;
}

QWidget* mainFm3::buildMapping()
{
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    Label2 = new QLabel(QStringLiteral("建立字段名对应关系"), area);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);
    layout->addWidget(Label2);

    List1 = mappingList(QStringLiteral("List1"), this);
    List2 = mappingList(QStringLiteral("List2"), this);
    List3 = mappingList(QStringLiteral("List3"), this);
    List4 = mappingList(QStringLiteral("List4"), this);

    auto buttonColumn = [this](QPushButton* (&buttons)[4], const QString& name, const char* const captions[4],
                               void (mainFm3::*handler)(int)) {
        auto* column = new QVBoxLayout;
        column->addStretch(1);
        for (int i = 0; i < 4; ++i) {
            buttons[i] = addButton(QStringLiteral("%1(%2)").arg(name).arg(i), QString::fromLatin1(captions[i]));
            buttons[i]->setFixedWidth(buttons[i]->fontMetrics().horizontalAdvance(QStringLiteral(">>")) + 24);
            connect(buttons[i], &QPushButton::clicked, this, [this, handler, i] { (this->*handler)(i); });
            column->addWidget(buttons[i]);
        }
        column->addStretch(1);
        return column;
    };
    static const char* const sourceMoves[4] = {">", ">>", "<", "<<"};
    static const char* const targetMoves[4] = {"<", "<<", ">", ">>"};

    auto* lists = new QHBoxLayout;
    lists->addWidget(List1, 1);
    lists->addLayout(buttonColumn(Command3, QStringLiteral("Command3"), sourceMoves, &mainFm3::Command3_Click));
    lists->addWidget(List2, 1);
    lists->addSpacing(6);
    lists->addWidget(List3, 1);
    lists->addLayout(buttonColumn(Command8, QStringLiteral("Command8"), targetMoves, &mainFm3::Command8_Click));
    lists->addWidget(List4, 1);
    layout->addLayout(lists, 1);
    return area;
}

QWidget* mainFm3::buildTargetSide()
{
    const RecordControls::GridArea target = RecordControls::gridWithNavigation(
        this, QStringLiteral("DataGrid2"), QStringLiteral("Text2"), Command7, QStringLiteral("Command7"),
        [this](int i) { Command7_Click(i); });
    QWidget* side = target.area;
    QHBoxLayout* row = target.row;
    DataGrid2 = target.grid;
    Text2 = target.position;
    row->addStretch(1);
    Command5 = addButton(QStringLiteral("Command5"), QStringLiteral("确认"));
    Command2 = addButton(QStringLiteral("Command2"), QStringLiteral("复原"));
    Command9 = addButton(QStringLiteral("Command9"), QStringLiteral("清空数据"));
    Command1 = addButton(QStringLiteral("Command1"), QStringLiteral("返回"));
    for (QPushButton* button : {Command5, Command2, Command9, Command1})
        row->addWidget(button);
    connect(Command5, &QPushButton::clicked, this, &mainFm3::Command5_Click);
    connect(Command2, &QPushButton::clicked, this, &mainFm3::Command2_Click);
    connect(Command9, &QPushButton::clicked, this, &mainFm3::Command9_Click);
    connect(Command1, &QPushButton::clicked, this, &mainFm3::Command1_Click);
    return side;
}

void mainFm3::Form_Load()
{
    List1->clear();
    List2->clear();
    List3->addItems(ImportRules::initialTargetColumns());
    Text1->setText(QStringLiteral("0"));
    Text2->setText(QStringLiteral("0"));
    Label1->hide();
    openTargetView(WholeTargetView);
}

void mainFm3::openTargetView(const QString& statement)
{
    try {
        targetRecordset_ = state_.openRecordset(statement);
        DataGrid2->bind(targetRecordset_);
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm3::refreshTargets()
{
    if (busy_ || !targetRecordset_)
        return;
    try {
        targetRecordset_->requery();
        DataGrid2->bind(targetRecordset_);
        Text2->setText(ImportRules::positionText(targetRecordset_.get()));
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void mainFm3::reportError(const QString& description)
{
    Dialogs::instance().message(description, InfoTitle, MsgButtons::Ok, MsgIcon::Exclamation);
}

void mainFm3::reportFileError(const QString& title, const QString& description)
{
    // The readers name the file in their message; say which one when a message does not.
    const QString text = description.contains(title) ? description
                                                     : QStringLiteral("无法读取文件“%1”：%2").arg(title, description);
    reportError(text);
}

void mainFm3::setBusy(bool busy)
{
    busy_ = busy;
    const bool enabled = !busy;
    for (QPushButton* button : Command4)
        button->setEnabled(enabled);
    for (auto* buttons : {&Command6, &Command3, &Command8, &Command7})
        for (QPushButton* button : *buttons)
            button->setEnabled(enabled);
    for (QPushButton* button : {Command5, Command2, Command9, Command1})
        button->setEnabled(enabled);
    for (QListWidget* list : {List1, List2, List3, List4})
        list->setEnabled(enabled);
    exitAction->setEnabled(enabled);
    if (chooser_)
        chooser_->setEnabled(enabled);
}

void mainFm3::Command4_Click(int index)
{
    if (index < 0 || index > 2 || busy_)
        return;
    setCursor(Qt::UpArrowCursor);
    FileDialogRequest request;
    request.title = QStringLiteral("选择目标文件");
    request.filter = QString::fromUtf8(SourceButtons[index].filter);
    request.filterIndex = 2;
    request.defaultExt = QString::fromLatin1(SourceButtons[index].defaultExt);
    request.flags = OpenDialogFlags;
    const std::optional<FileChoice> choice = Dialogs::instance().openFile(request);
    if (!choice) {
        unsetCursor();
        return;
    }
    // A table chooser left open from an earlier opening must not load anything now.
    closeChooser();
    setCursor(Qt::UpArrowCursor);
    QStringList tables;
    try {
        tables = SourceFiles::tableNames(choice->path);
    } catch (const DbError& error) {
        unsetCursor();
        reportFileError(choice->fileName, error.description());   // the source stays as it was
        return;
    }
    if (index == 2)
        openDbase(*choice, tables);
    else
        openAccessOrExcel(index, *choice, tables);
}

// The file becomes the source, and Label1 names it, once a table of it is loaded: until then
// (and when the chooser is left with 返回) the rows, the lists and the label stay those of
// the file loaded before.
void mainFm3::openAccessOrExcel(int index, const FileChoice& choice, const QStringList& tables)
{
    chooser_ = new tableFm1(*this, choice, index, tables);
    chooser_->show();
    // An Excel opening keeps the waiting pointer until the chooser closes.
    if (index == 0)
        unsetCursor();
    else
        setCursor(Qt::UpArrowCursor);
}

void mainFm3::closeChooser()
{
    if (chooser_) {
        tableFm1* earlier = chooser_;
        chooser_ = nullptr;   // disowned first: nothing it does reaches this window any more
        earlier->close();
        unsetCursor();
    }
}

void mainFm3::openDbase(const FileChoice& choice, const QStringList& tables)
{
    if (tables.isEmpty() || !loadTable(choice.path, tables.first())) {
        unsetCursor();
        return;
    }
    source_.choose(choice.path, choice.fileName);
    Label1->setText(QString::fromUtf8(SourceButtons[2].caption) + source_.fileTitle);
    Label1->show();
    showSourceRows();
    fillSourceColumns();
    unsetCursor();
}

bool mainFm3::loadTable(const QString& path, const QString& tableName)
{
    std::unique_ptr<ProgressWindow> progress =
        Dialogs::instance().progress(QStringLiteral("正在读取数据，已读取 %1 行……"), QStringLiteral("导入数据"), 0);
    BusyScope busy([this](bool on) { setBusy(on); });
    try {
        return source_.loadTable(path, tableName, [&progress](qint64 rows) { return progress->update(rows); });
    } catch (const DbError& error) {
        progress.reset();
        reportFileError(QFileInfo(path).fileName(), error.description());
        return false;
    }
}

void mainFm3::tableChosen(const tableFm1& chooser, const QString& tableName)
{
    if (&chooser != chooser_.data())
        return;
    const FileChoice file = chooser.file();
    const int button = chooser.button();
    if (!loadTable(file.path, tableName))
        return;   // a cancelled or failed load leaves the previous source
    source_.choose(file.path, file.fileName);
    source_.kind = button == 0 ? QStringLiteral("mdb") : QStringLiteral("xls");
    // An Excel source is named without its extension once a sheet is taken.
    Label1->setText(QString::fromUtf8(SourceButtons[button].caption)
                    + (button == 0 ? source_.fileTitle : source_.baseName));
    Label1->show();
    showSourceRows();
    fillSourceColumns();
}

void mainFm3::chooserClosed(const tableFm1& chooser)
{
    if (&chooser == chooser_.data())
        unsetCursor();
}

void mainFm3::showSourceRows()
{
    importRecordset_.reset();
    DataGrid1->bind(source_.browseRecordset);
    Text1->setText(ImportRules::positionText(source_.browseRecordset.get()));
}

void mainFm3::fillSourceColumns()
{
    List1->clear();
    List2->clear();
    if (const auto rows = source_.browseRecordset)
        for (int i = 0; i < rows->fieldCount(); ++i)
            List1->addItem(rows->field(i).name);
}

void mainFm3::Command6_Click(int index)
{
    const auto rows = source_.browseRecordset;
    if (!rows)
        return;
    if (rows->recordCount() > 0)
        Navigation::move(*rows, index);
    Text1->setText(ImportRules::positionText(rows.get()));
}

void mainFm3::Command3_Click(int index)
{
    switch (index) {
    case 0: moveSelected(List1, List2); break;
    case 1: moveAll(List1, List2); break;
    case 2: moveSelected(List2, List1); break;
    case 3: moveAll(List2, List1); break;
    default: break;
    }
}

void mainFm3::Command8_Click(int index)
{
    switch (index) {
    case 0: moveSelected(List4, List3); break;
    case 1: moveAll(List4, List3); break;
    case 2: moveSelected(List3, List4); break;
    case 3: moveAll(List3, List4); break;
    default: break;
    }
}

void mainFm3::Command5_Click()
{
    switch (ImportRules::checkMapping(List2->count(), List3->count())) {
    case ImportRules::MappingCheck::Nothing:
        return;
    case ImportRules::MappingCheck::CountMismatch:
        Dialogs::instance().message(QStringLiteral("字段对应个数不匹配！"), InfoTitle, MsgButtons::Ok, MsgIcon::None);
        return;
    case ImportRules::MappingCheck::Ready:
        break;
    }
    if (!source_.connection)
        return;   // the source columns came from a source that has since been released
    if (Dialogs::instance().message(QStringLiteral("确实要追加记录吗？ "), InfoTitle, MsgButtons::OkCancel, MsgIcon::Question)
        != MsgAnswer::Ok)
        return;
    const QStringList targetColumns = itemsOf(List3);
    try {
        importRecordset_ = std::make_shared<Recordset>(source_.connection,
                                                       ImportRules::sourceSelect(itemsOf(List2), source_.table));
        DataGrid1->bind(importRecordset_);
        openTargetView(ImportRules::targetSelect(targetColumns));
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    if (!targetRecordset_)
        return;
    runPass(targetColumns);
}

void mainFm3::runPass(const QStringList& targetColumns)
{
    const int sourceRows = importRecordset_->recordCount();
    const int targetRowsBefore = targetRecordset_->recordCount();
    ImportOutcome outcome;
    try {
        ImportPass pass(state_, *importRecordset_, targetColumns, state_.currentPlanNo());
        bool skipNameless = true;
        QList<int> namelessRows;
        if (const int nameless = pass.countNameless(&namelessRows); nameless > 0) {
            const MsgAnswer answer = Dialogs::instance().message(namelessQuestion(nameless, namelessRows), InfoTitle,
                                                                 MsgButtons::YesNoCancel, MsgIcon::Question);
            if (answer != MsgAnswer::Yes && answer != MsgAnswer::No)
                return;
            skipNameless = answer == MsgAnswer::Yes;
        }
        bool skipDuplicates = false;
        if (pass.countDuplicates() > 0) {
            const MsgAnswer answer = Dialogs::instance().message(duplicatesQuestion(pass.duplicates()), InfoTitle,
                                                                 MsgButtons::YesNoCancel, MsgIcon::Question);
            if (answer != MsgAnswer::Yes && answer != MsgAnswer::No)
                return;
            skipDuplicates = answer == MsgAnswer::Yes;
        }
        std::unique_ptr<ProgressWindow> progress = Dialogs::instance().progress(
            QStringLiteral("正在导入数据，已追加 %1 条记录……"), QStringLiteral("导入数据"), sourceRows);
        BusyScope busy([this](bool on) { setBusy(on); });
        outcome = pass.run(
            [&](int done) {
                Text1->setText(TextRules::positionText(done, sourceRows));
                Text2->setText(TextRules::positionText(targetRowsBefore + done, targetRowsBefore + done));
                return progress->update(done);
            },
            skipDuplicates, skipNameless);
    } catch (const DbError& error) {
        // The store failed (a full disk, a read-only file): the pass left nothing behind.
        showPassResult();
        reportError(error.description());
        return;
    }
    showPassResult();
    switch (outcome.result) {
    case ImportOutcome::Result::Stored:
        Dialogs::instance().message(QStringLiteral("OK\n") + importedCountText(outcome), QStringLiteral("数据转换成功"),
                                    MsgButtons::Ok, MsgIcon::None);
        break;
    case ImportOutcome::Result::Refused:
        Dialogs::instance().message(QStringLiteral("字段类型不匹配！ \n") + importedCountText(outcome), InfoTitle,
                                    MsgButtons::Ok, MsgIcon::None);
        break;
    case ImportOutcome::Result::Cancelled:
        break;
    }
}

void mainFm3::showPassResult()
{
    try {
        targetRecordset_->requery();
        DataGrid2->bind(targetRecordset_);
        if (targetRecordset_->recordCount() > 0)
            targetRecordset_->moveFirst();
        if (importRecordset_->recordCount() > 0)
            importRecordset_->moveFirst();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    Text1->setText(ImportRules::finishedPositionText(importRecordset_.get()));
    Text2->setText(ImportRules::positionText(targetRecordset_.get()));
}

void mainFm3::Command2_Click()
{
    List1->clear();
    List2->clear();
    List3->clear();
    List4->clear();
    fillSourceColumns();
    List3->addItems(ImportRules::initialTargetColumns());
}

void mainFm3::Command7_Click(int index)
{
    if (!targetRecordset_)
        return;
    if (targetRecordset_->recordCount() > 0)
        Navigation::move(*targetRecordset_, index);
    Text2->setText(ImportRules::positionText(targetRecordset_.get()));
}

void mainFm3::Command9_Click()
{
    if (!targetRecordset_)
        return;
    int count = 0;
    try {
        count = TargetRows::count(state_.store());
        if (count == 0)
            return;
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    if (Dialogs::instance().message(QStringLiteral("确实要删除全部营销对象数据吗？\n将删除所有计划的%1个客户记录。").arg(count),
                                    InfoTitle, MsgButtons::OkCancel, MsgIcon::Question)
        != MsgAnswer::Ok)
        return;
    try {
        TargetRows::deleteAll(state_);
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    openTargetView(TargetViewAfterEmptying);
    Text2->setText(ImportRules::positionText(targetRecordset_.get()));
}

void mainFm3::Command1_Click()
{
    close();
}

void mainFm3::exit_Click()
{
    emit exitRequested();
}

void mainFm3::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        event->ignore();   // a load or a pass is running; its Cancel ends it
        return;
    }
    closeChooser();
    disconnect(&state_, nullptr, this, nullptr);
    DataGrid1->bind(nullptr);
    DataGrid2->bind(nullptr);
    importRecordset_.reset();
    targetRecordset_.reset();
    source_.browseRecordset.reset();
    FormWindow::closeEvent(event);
}
