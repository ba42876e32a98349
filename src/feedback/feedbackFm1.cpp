#include "feedbackFm1.h"

#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "campaign/PlanRows.h"
#include "core/Transaction.h"
#include "core/Navigation.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 7200;

} // namespace

feedbackFm1::feedbackFm1(ProgramState& state)
    : FormWindow(QStringLiteral("feedbackFm1"), QStringLiteral("每日反馈统计表"), WidthTwips, HeightTwips), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    DataGrid1 = new DataGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setEditable(true, false);
    layout->addWidget(DataGrid1, 1);

    auto* row = new QHBoxLayout;
    Text1 = RecordControls::positionBox(QStringLiteral("Text1"), this);
    row->addWidget(Text1);
    RecordControls::navigationButtons(Command1, QStringLiteral("Command1"), this, row, [this](int i) { Command1_Click(i); });
    row->addStretch(1);
    auto add = [this, row](QPushButton*& b, const QString& name, const QString& caption, void (feedbackFm1::*handler)()) {
        b = new QPushButton(caption, this);
        b->setObjectName(name);
        row->addWidget(b);
        connect(b, &QPushButton::clicked, this, handler);
    };
    add(Command2, QStringLiteral("Command2"), QStringLiteral("查寻"), &feedbackFm1::Command2_Click);
    add(Command3, QStringLiteral("Command3"), QStringLiteral("保存"), &feedbackFm1::Command3_Click);
    add(Command4, QStringLiteral("Command4"), QStringLiteral("取消"), &feedbackFm1::Command4_Click);
    add(Command5, QStringLiteral("Command5"), QStringLiteral("删除"), &feedbackFm1::Command5_Click);
    add(Command6, QStringLiteral("Command6"), QStringLiteral("同序号删除"), &feedbackFm1::Command6_Click);
    add(Command8, QStringLiteral("Command8"), QStringLiteral("显示全库"), &feedbackFm1::Command8_Click);
    add(Command7, QStringLiteral("Command7"), QStringLiteral("返回"), &feedbackFm1::Command7_Click);
    layout->addLayout(row);

    connect(&state_, &ProgramState::currentPlanChanged, this, &feedbackFm1::openDays);
    connect(&state_, &ProgramState::changed, this, [this](const ChangeNotice& notice) {
        // The window's own saves are already in its rows.
        if (!announcing_ && notice.table == ChangeNotice::Table::DailyRows && notice.touchesPlan(planNo_))
            openDays();
    });
    openDays();
}

// The current plan's daily rows, as stored now.
void feedbackFm1::openDays()
{
    planNo_ = state_.currentPlanNo();
    try {
        days_ = state_.openRecordset(PlanRows::feedbackStatement(planNo_));
    } catch (const DbError& error) {
        days_.reset();
        reportError(error.description());
    }
    DataGrid1->bind(days_);
    showPosition();
}

bool feedbackFm1::hasRows() const
{
    const auto& rs = days_;
    return rs && rs->recordCount() > 0;
}

void feedbackFm1::showPosition()
{
    const auto& rs = days_;
    Text1->setText(rs ? TextRules::positionText(rs->absolutePosition(), rs->recordCount()) : QStringLiteral("0/0"));
}

void feedbackFm1::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

void feedbackFm1::Command1_Click(int index)
{
    if (!hasRows())
        return;
    try {
        Navigation::move(*days_, index);
        showPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void feedbackFm1::Command2_Click()
{
    if (!hasRows())
        return;
    const QString answer = Dialogs::instance()
                               .input(QStringLiteral("请输入") + QStringLiteral("序号") + QStringLiteral("："),
                                      QStringLiteral("查询输入"), QString())
                               .value_or(QString());
    if (answer.isEmpty())
        return;
    try {
        days_->setFilter(SqlText::equals(QStringLiteral("序号"), answer));
        DataGrid1->bind(days_);
        showPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void feedbackFm1::Command8_Click()
{
    if (!days_)
        return;
    try {
        days_->setFilter(QString());
        DataGrid1->bind(days_);
        showPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void feedbackFm1::Command3_Click()
{
    if (!hasRows())
        return;
    try {
        days_->update();
        announceOwnChange();
    } catch (const DbError& error) {
        reportError(error.description());   // the edit stays, to be corrected or dropped
    }
    showPosition();
}

void feedbackFm1::Command4_Click()
{
    if (!hasRows())
        return;
    days_->cancelUpdate();
    showPosition();
}

void feedbackFm1::Command5_Click()
{
    if (!hasRows())
        return;
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除该记录吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        const auto& rs = days_;
        rs->cancelUpdate();
        rs->deleteCurrent();
        rs->moveNext();
        if (rs->isEOF() && rs->recordCount() > 0)
            rs->moveLast();
        announceOwnChange();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    showPosition();
}

void feedbackFm1::Command6_Click()
{
    if (!hasRows())
        return;
    const auto& rs = days_;
    planNoToDelete_ = rs->hasCurrentRow() ? TextRules::trimmedText(rs->value(QStringLiteral("序号"))) : QString();
    planNoToDelete_ = Dialogs::instance()
                          .input(QStringLiteral("确认要删除记录相同序号的序号，如下："), QStringLiteral("提示信息"), planNoToDelete_)
                          .value_or(QString());
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        rs->cancelUpdate();
        Transaction transaction(state_.store());
        state_.store().execute(QStringLiteral("Delete * From feedbackTable Where 序号 = ") + SqlText::quote(planNoToDelete_));
        transaction.commit();
        state_.announce({ChangeNotice::Table::DailyRows, planNoToDelete_});   // the grid follows the new rows
    } catch (const DbError& error) {
        reportError(error.description());
    }
    showPosition();
}

void feedbackFm1::announceOwnChange()
{
    announcing_ = true;
    state_.announce({ChangeNotice::Table::DailyRows, planNo_});
    announcing_ = false;
}

void feedbackFm1::Command7_Click()
{
    close();
}

void feedbackFm1::closeEvent(QCloseEvent* event)
{
    if (days_)
        days_->cancelUpdate();
    disconnect(&state_, nullptr, this, nullptr);
    DataGrid1->bind(nullptr);
    days_.reset();
    FormWindow::closeEvent(event);
}
