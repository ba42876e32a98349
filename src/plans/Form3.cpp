#include "Form3.h"

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

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 8800;

// The boxes in index order, their captions and the plan table's fields they show.
const char* const BoxCaptions[9] = {"序       号", "题       目", "时 间 周 期", "地       区", "方       式",
                                    "对 象 描 述", "规模（数量）", "预计反馈数", "费      用"};
const char* const BoxFields[9] = {"序号", "题目", "时间周期", "地区", "方式", "营销对象描述", "规模（数量）",
                                  "预计反馈数", "费用"};
const char* const RecordCaptions[5] = {"创建", "保存", "删除", "取消", "返回"};

QString field(int box)
{
    return QString::fromUtf8(BoxFields[box]);
}

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
        planTableRecordset_ = state_.openRecordset(QStringLiteral("Select * From planTable"));
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
    for (int i = 0; i < 9; ++i)
        Text1[i]->setText(TextRules::trimmedText(planTableRecordset_->value(field(i))));
    RichTextBox1->setPlainText(TextRules::trimmedText(planTableRecordset_->value(QStringLiteral("内容"))));
}

void Form3::clearRecord()
{
    for (QLineEdit* box : Text1)
        box->clear();
    RichTextBox1->clear();
}

// Throws DbError when the database does not accept a value; the caller then leaves the
// row as it was and says why, so nothing typed is lost without a word.
void Form3::writeRecord()
{
    for (int i = 0; i < 9; ++i)
        planTableRecordset_->setValue(field(i), TextRules::trimBlanks(Text1[i]->text()));
    planTableRecordset_->setValue(QStringLiteral("内容"), TextRules::trimBlanks(RichTextBox1->toPlainText()));
}

void Form3::setBrowsing(bool browsing)
{
    Command1[0]->setEnabled(browsing);
    Command1[2]->setEnabled(browsing);
    // While a new plan is typed, the grid and the navigation buttons stay still: a move
    // would otherwise store the half-typed row or show another plan over it.
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

void Form3::createPlan()
{
    if (!planTableRecordset_)
        return;
    addMode_ = 1;
    planTableRecordset_->addNew();
    clearRecord();
    setBrowsing(false);
    Text1[0]->setFocus();
}

void Form3::savePlan()
{
    if (!planTableRecordset_)
        return;
    Recordset& rs = *planTableRecordset_;
    // Boxes typed into an empty table are a new plan, not something to drop.
    if (addMode_ == 0 && !rs.hasCurrentRow()) {
        rs.addNew();
        addMode_ = 1;
    }
    try {
        writeRecord();
        rs.update();
    } catch (const DbError& error) {
        // The row stays as it was; the boxes keep what was typed so it can be corrected.
        rs.cancelUpdate();
        if (addMode_ == 1)
            rs.addNew();
        refuse(error.description());
        return;
    }
    addMode_ = 0;
    setBrowsing(true);
    displayRecord();
    showPosition();
    Text1[0]->setFocus();
}

void Form3::deletePlan()
{
    if (!planTableRecordset_ || planTableRecordset_->recordCount() == 0)
        return;
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除这条记录吗？"), QStringLiteral("删除提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok || planTableRecordset_->recordCount() == 0)
        return;
    Recordset& rs = *planTableRecordset_;
    rs.deleteCurrent();
    rs.moveLast();
    if (rs.isEOF())
        rs.moveLast();
    showPosition();
    Text1[0]->setFocus();
    displayRecord();
}

void Form3::cancelEdit()
{
    setBrowsing(true);
    if (!planTableRecordset_)
        return;
    addMode_ = 0;
    planTableRecordset_->cancelUpdate();
    displayRecord();
}

void Form3::closeEditor()
{
    addMode_ = 0;
    setBrowsing(true);
    if (planTableRecordset_)
        planTableRecordset_->cancelUpdate();   // whatever was typed and not saved is dropped
    DataGrid1->bind(nullptr);
    planTableRecordset_.reset();
    close();
}

void Form3::Command3_Click(int index)
{
    if (!planTableRecordset_ || planTableRecordset_->recordCount() == 0)
        return;
    try {
        Navigation::move(*planTableRecordset_, index);
        showPosition();
        displayRecord();
    } catch (const DbError& error) {
        refuse(error.description());
    }
}

void Form3::DataGrid1_RowColChange()
{
    if (addMode_ == 1 || !planTableRecordset_)
        return;
    try {
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
    Recordset& plans = *planTableRecordset_;
    // A new row not yet saved, or an empty table, holds no plan to execute.
    const bool stored = plans.editMode() != Recordset::EditMode::Adding && plans.hasCurrentRow();
    try {
        const PlanExecution::Result result =
            stored ? PlanExecution::execute(state_, plans.bookmark()) : PlanExecution::Result{PlanExecution::Outcome::NoStoredPlan, {}};
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
