#include "Form3.h"

#include "campaign/PlanDesigns.h"
#include "campaign/PlanExecution.h"
#include "campaign/ProgramState.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "core/Navigation.h"
#include "controls/RecordBoxKeys.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/TextFile.h"
#include "core/TextRules.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 8800;

// The boxes in index order, their captions and the fields of the plan they show.
const char* const BoxCaptions[9] = {"序       号", "题       目", "时 间 周 期", "地       区", "方       式",
                                    "对 象 描 述", "规模（数量）", "预计反馈数", "费      用"};
QString PlanDesign::* const BoxFields[9] = {&PlanDesign::planNo, &PlanDesign::title, &PlanDesign::period,
                                            &PlanDesign::region, &PlanDesign::method, &PlanDesign::targetDescription,
                                            &PlanDesign::scale, &PlanDesign::expectedResponses, &PlanDesign::cost};
const char* const RecordCaptions[5] = {"创建", "保存", "删除", "取消", "返回"};

} // namespace

Form3::Form3(ProgramState& state)
    : FormWindow(QStringLiteral("Form3"), QStringLiteral("创建营销计划"), WidthTwips, HeightTwips), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildFrame());
    DataGrid1 = new DataGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    layout->addWidget(DataGrid1, 1);
    connect(DataGrid1, &DataGrid::rowColChanged, this, &Form3::DataGrid1_RowColChange);
    new RecordBoxKeys(QList<QLineEdit*>(std::begin(Text1), std::end(Text1)), this);
    openPlans();
}

QWidget* Form3::buildFrame()
{
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QVBoxLayout(frame);
    auto* columns = new QHBoxLayout;
    frameLayout->addLayout(columns, 1);

    auto* boxes = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        Label1[i] = new QLabel(QString::fromUtf8(BoxCaptions[i]), frame);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Text1[i] = new QLineEdit(frame);
        Text1[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        Label1[i]->setBuddy(Text1[i]);
        boxes->addWidget(Label1[i], i, 0);
        boxes->addWidget(Text1[i], i, 1);
    }
    columns->addLayout(boxes, 1);

    auto* content = new QVBoxLayout;
    auto* contentHead = new QHBoxLayout;
    Label1[9] = new QLabel(QStringLiteral("内  容"), frame);
    Label1[9]->setObjectName(QStringLiteral("Label1(9)"));
    contentHead->addWidget(Label1[9]);
    contentHead->addStretch(1);
    Command5 = new QPushButton(QStringLiteral("清空"), frame);
    Command5->setObjectName(QStringLiteral("Command5"));
    Command2 = new QPushButton(QStringLiteral("加载txt文件"), frame);
    Command2->setObjectName(QStringLiteral("Command2"));
    contentHead->addWidget(Command5);
    contentHead->addWidget(Command2);
    content->addLayout(contentHead);
    RichTextBox1 = new QTextEdit(frame);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setAcceptRichText(false);
    Label1[9]->setBuddy(RichTextBox1);
    content->addWidget(RichTextBox1, 1);
    columns->addLayout(content, 1);

    auto* buttons = new QHBoxLayout;
    frameLayout->addLayout(buttons);
    Text2 = RecordControls::positionBox(QStringLiteral("Text2"), frame);
    buttons->addWidget(Text2);
    RecordControls::navigationButtons(Command3, QStringLiteral("Command3"), frame, buttons,
                                      [this](int i) { Command3_Click(i); });
    buttons->addStretch(1);
    for (int i = 0; i < 5; ++i) {
        Command1[i] = new QPushButton(QString::fromUtf8(RecordCaptions[i]), frame);
        Command1[i]->setObjectName(QStringLiteral("Command1(%1)").arg(i));
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command6 = new QPushButton(QStringLiteral("执行计划"), frame);
    Command6->setObjectName(QStringLiteral("Command6"));
    buttons->addSpacing(12);
    buttons->addWidget(Command6);


    connect(Command5, &QPushButton::clicked, this, &Form3::Command5_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
    connect(Command6, &QPushButton::clicked, this, &Form3::Command6_Click);
    return frame;
}

void Form3::openPlans()
{
    try {
        planTableRecordset_ = state_.openRecordset(PlanDesigns::allPlansStatement());
    } catch (const DbError& error) {
        refuse(error.description());
        return;
    }
    DataGrid1->bind(planTableRecordset_);
    if (planTableRecordset_->recordCount() > 0) {
        planTableRecordset_->moveLast();
        displayRecord();
    } else {
        clearRecord();
    }
    showPosition();
}

void Form3::showPosition()
{
    const auto& rs = planTableRecordset_;
    Text2->setText(rs ? TextRules::positionText(rs->absolutePosition(), rs->recordCount()) : QStringLiteral("0/0"));
}

void Form3::refuse(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void Form3::displayRecord()
{
    if (!planTableRecordset_ || !planTableRecordset_->hasCurrentRow()) {
        clearRecord();
        return;
    }
    const PlanDesign plan = PlanDesigns::fromRow(*planTableRecordset_);
    for (int i = 0; i < 9; ++i)
        Text1[i]->setText(plan.*BoxFields[i]);
    RichTextBox1->setPlainText(plan.content);
    shown_ = plan;
    shownKey_ = planTableRecordset_->bookmark();
}

void Form3::clearRecord()
{
    for (QLineEdit* box : Text1)
        box->clear();
    RichTextBox1->clear();
    shown_ = PlanDesign();
    shownKey_.reset();
}

PlanDesign Form3::writeRecord() const
{
    PlanDesign plan;
    for (int i = 0; i < 9; ++i)
        plan.*BoxFields[i] = TextRules::trimBlanks(Text1[i]->text());
    plan.content = TextRules::trimBlanks(RichTextBox1->toPlainText());
    return plan;
}

bool Form3::hasUnsavedChanges() const
{
    return writeRecord() != shown_;
}

void Form3::setBrowsing(bool browsing)
{
    Command1[0]->setEnabled(browsing);
    Command1[2]->setEnabled(browsing);
    // While a new plan is typed, the grid and the navigation buttons stay still: a move
    // would otherwise show another plan over it.
    DataGrid1->setEnabled(browsing);
    for (QPushButton* button : Command3)
        button->setEnabled(browsing);
}

void Form3::Command1_Click(int index)
{
    try {
        switch (index) {
        case 0:
            createPlan();
            break;
        case 1:
            savePlan();
            break;
        case 2:
            deletePlan();
            break;
        case 3:
            cancelEdit();
            break;
        default:
            closeEditor();
        }
    } catch (const DbError& error) {
        refuse(error.description());
    }
}

// Before the boxes show something else, what was typed in them is saved or dropped as the
// user says. False when the user stays (取消) or the save was refused.
bool Form3::settlePendingEdit()
{
    if (!hasUnsavedChanges())
        return true;
    const QString plan = TextRules::trimBlanks(Text1[0]->text() + QLatin1Char(' ') + Text1[1]->text());
    const QString record = plan.isEmpty() ? QStringLiteral("新计划") : QStringLiteral("计划“%1”").arg(plan);
    switch (Dialogs::instance().askToSave(Dialogs::unsavedQuestion(windowTitle(), record), QStringLiteral("信息提示"))) {
    case SaveAnswer::Save:
        return savePlan();
    case SaveAnswer::Discard:
        addMode_ = 0;
        setBrowsing(true);
        displayRecord();
        return true;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

void Form3::createPlan()
{
    if (!planTableRecordset_ || !settlePendingEdit())
        return;
    addMode_ = 1;
    clearRecord();
    setBrowsing(false);
    Text1[0]->setFocus();
}

// Stores the boxes as a new plan, or over the plan shown; says why when that is refused.
std::optional<qint64> Form3::storeBoxes()
{
    const PlanDesign typed = writeRecord();
    try {
        // Boxes typed into an empty table are a new plan too.
        if (addMode_ == 1 || !shownKey_)
            return PlanDesigns::add(state_, typed);
        PlanDesigns::edit(state_, *shownKey_, typed);
        return shownKey_;
    } catch (const DbError& error) {
        refuse(error.description());   // the boxes keep what was typed so it can be corrected
        return std::nullopt;
    }
}

// Reads the plans again and shows the row `key` (the last row when it is gone).
void Form3::showStoredRow(std::optional<qint64> key)
{
    const QScopedValueRollback quiet(movingRows_, true);
    Recordset& rs = *planTableRecordset_;
    rs.requery();
    try {
        if (key)
            rs.setBookmark(*key);
        else if (rs.recordCount() > 0)
            rs.moveLast();
    } catch (const DbError&) {
        if (rs.recordCount() > 0)
            rs.moveLast();
    }
    displayRecord();
    showPosition();
}

bool Form3::savePlan()
{
    if (!planTableRecordset_)
        return false;
    const std::optional<qint64> key = storeBoxes();
    if (!key)
        return false;
    addMode_ = 0;
    setBrowsing(true);
    try {
        showStoredRow(key);
    } catch (const DbError& error) {
        refuse(error.description());
    }
    Text1[0]->setFocus();
    return true;
}

void Form3::deletePlan()
{
    if (!planTableRecordset_ || !planTableRecordset_->hasCurrentRow())
        return;
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除这条记录吗？"), QStringLiteral("删除提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok || !planTableRecordset_->hasCurrentRow())
        return;
    try {
        PlanDesigns::remove(state_, planTableRecordset_->bookmark());
        showStoredRow(std::nullopt);   // the last plan is shown, not the next one
    } catch (const DbError& error) {
        refuse(error.description());
    }
    Text1[0]->setFocus();
}

void Form3::cancelEdit()
{
    addMode_ = 0;
    setBrowsing(true);
    if (planTableRecordset_)
        displayRecord();
}

void Form3::closeEditor()
{
    close();
}

// 返回 and the window's close box: nothing typed goes without the user's word.
void Form3::closeEvent(QCloseEvent* event)
{
    bool settled = true;
    try {
        settled = !planTableRecordset_ || settlePendingEdit();
    } catch (const DbError& error) {
        refuse(error.description());
    }
    if (!settled) {
        event->ignore();
        return;
    }
    addMode_ = 0;
    setBrowsing(true);
    DataGrid1->bind(nullptr);
    planTableRecordset_.reset();
    FormWindow::closeEvent(event);
}

void Form3::Command3_Click(int index)
{
    if (addMode_ == 1 || !planTableRecordset_ || planTableRecordset_->recordCount() == 0)
        return;
    try {
        if (!settlePendingEdit())
            return;
        const QScopedValueRollback quiet(movingRows_, true);
        Navigation::move(*planTableRecordset_, index);
        showPosition();
        displayRecord();
    } catch (const DbError& error) {
        refuse(error.description());
    }
}

// The grid has already moved to the row the user chose; the plan shown before it may
// hold typed changes, which are saved to that plan, dropped, or kept by going back to it.
void Form3::DataGrid1_RowColChange()
{
    if (addMode_ == 1 || !planTableRecordset_ || movingRows_)
        return;
    try {
        Recordset& rs = *planTableRecordset_;
        const std::optional<qint64> chosen =
            rs.hasCurrentRow() ? std::optional<qint64>(rs.bookmark()) : std::nullopt;
        if (chosen == shownKey_) {
            showPosition();
            return;
        }
        const bool settled = settlePendingEdit();
        const QScopedValueRollback quiet(movingRows_, true);
        if (!settled) {
            if (shownKey_)
                rs.setBookmark(*shownKey_);   // back to the plan whose changes stay in the boxes
            showPosition();
            return;
        }
        if (chosen)
            rs.setBookmark(*chosen);   // a save read the plans again
        showPosition();
        displayRecord();
    } catch (const DbError&) {
    }
}

void Form3::Command5_Click()
{
    RichTextBox1->clear();
}

void Form3::Command2_Click()
{
    FileDialogRequest request;
    request.title = QStringLiteral("载入文件");
    request.filter = QStringLiteral("*.txt|*.txt");
    request.flags = FileDialogFlag::FileMustExist;
    const std::optional<FileChoice> choice = Dialogs::instance().openFile(request);
    if (!choice)
        return;
    try {
        RichTextBox1->setPlainText(TextFile::readTextFile(choice->path));
    } catch (const DbError& error) {
        refuse(error.description());
    }
}

void Form3::Command6_Click()
{
    if (!planTableRecordset_)
        return;
    // A new plan not yet saved, or an empty table, holds no plan to execute; the plan shown
    // is executed as it is stored.
    const std::optional<qint64> key = addMode_ == 1 ? std::nullopt : shownKey_;
    try {
        const PlanExecution::Result result =
            key ? PlanExecution::execute(state_, *key) : PlanExecution::Result{PlanExecution::Outcome::NoStoredPlan, {}};
        switch (result.outcome) {
        case PlanExecution::Outcome::NoStoredPlan:
            Dialogs::instance().message(QStringLiteral("没有已保存的计划可以执行，请先保存计划。"), QStringLiteral("信息提示"),
                                        MsgButtons::Ok, MsgIcon::Exclamation);
            break;
        case PlanExecution::Outcome::AlreadyExecuted:
            Dialogs::instance().message(QStringLiteral("此计划已执行！"), QStringLiteral("信息提示"), MsgButtons::Ok,
                                        MsgIcon::None);
            break;
        case PlanExecution::Outcome::Executed:
            Dialogs::instance().message(PlanExecution::executedMessage(result.planNo), QStringLiteral("OK"),
                                        MsgButtons::Ok, MsgIcon::None);
        }
    } catch (const DbError& error) {
        refuse(error.description());
    }
}
