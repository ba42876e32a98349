#include "feedbackFm1.h"

#include "campaign/PlanDeletion.h"

#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "campaign/PlanRows.h"
#include "campaign/DailyCorrections.h"
#include "core/Navigation.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <optional>
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

    // Moving to another row in the grid stores an edit, so the edit is saved here first.
    DataGrid1->installEventFilter(this);
    DataGrid1->viewport()->installEventFilter(this);
    connect(&state_, &ProgramState::currentPlanChanged, this, &feedbackFm1::readAgain);
    connect(&state_, &ProgramState::changed, this, [this](const ChangeNotice& notice) {
        // The window's own saves are already in its rows.
        if (!announcing_ && notice.table == ChangeNotice::Table::DailyRows && notice.touchesPlan(planNo_))
            readAgain();
    });
    openDays();
}

// The current plan's daily rows, as stored now, keeping the narrowing and the row shown.
void feedbackFm1::openDays()
{
    const FieldTests filter = days_ && planNo_ == state_.currentPlanNo() ? days_->filter() : FieldTests();
    const std::optional<qint64> shown =
        days_ && days_->hasCurrentRow() && planNo_ == state_.currentPlanNo() ? std::optional<qint64>(days_->bookmark()) : std::nullopt;
    planNo_ = state_.currentPlanNo();
    readAgainAfterEdit_ = false;
    try {
        days_ = state_.openRecordset(PlanRows::feedbackStatement(planNo_));
        if (!filter.isEmpty())
            days_->setFilter(filter);
        if (shown) {
            try {
                days_->setBookmark(*shown);
            } catch (const DbError&) {
                // The row shown is gone: the window stands on the first row.
            }
        }
        connect(days_.get(), &Recordset::currentRowChanged, this, &feedbackFm1::rememberShownRow);
        connect(days_.get(), &Recordset::rowValuesChanged, this, &feedbackFm1::rememberShownRow);
        connect(days_.get(), &Recordset::rowsReset, this, &feedbackFm1::rememberShownRow);
    } catch (const DbError& error) {
        days_.reset();
        reportError(error.description());
    }
    DataGrid1->bind(days_);
    rememberShownRow();
    showPosition();
}

// Rows changed elsewhere (or another plan became current): read again, unless an edit waits
// for 保存 or 取消; then the rows are read again once it is settled.
void feedbackFm1::readAgain()
{
    if (isEditing()) {
        readAgainAfterEdit_ = true;
        return;
    }
    openDays();
}

// What the grid showed of the current row before the operator began to change it.
void feedbackFm1::rememberShownRow()
{
    if (!days_ || isEditing() || !days_->hasCurrentRow())
        return;
    shownRow_.clear();
    for (int column = 0; column < days_->fieldCount(); ++column)
        shownRow_ << days_->value(column);
}

bool feedbackFm1::isEditing() const
{
    return days_ && days_->editMode() != Recordset::EditMode::None;
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

// The pending edit of the current row stored as a correction: the day's total, the running
// totals and the plan's total follow. False when it was refused (the edit stays, with the
// reason told).
bool feedbackFm1::storePendingEdit()
{
    if (!isEditing())
        return true;
    DailyCorrections::Correction correction;
    try {
        correction.rowKey = days_->bookmark();
        for (int column = 0; column < days_->fieldCount() && column < shownRow_.size(); ++column) {
            const QVariant typed = days_->value(column);
            if (typed == shownRow_[column])
                continue;
            correction.shown.insert(days_->field(column).name, shownRow_[column]);
            correction.typed.insert(days_->field(column).name, typed);
        }
        if (!correction.typed.isEmpty()) {
            announcing_ = true;
            DailyCorrections::correct(state_, correction);
            announcing_ = false;
        }
    } catch (const DbError& error) {
        announcing_ = false;
        reportError(error.description());
        return false;
    }
    days_->cancelUpdate();
    openDays();   // the totals of this and later rows changed too
    return true;
}

// Before the window closes: an edit not yet saved is saved, dropped or kept as the user says.
bool feedbackFm1::settlePendingEdit()
{
    if (!isEditing())
        return true;
    const QString record = QStringLiteral("计划“%1”%2的记录")
                               .arg(TextRules::trimmedText(days_->value(QStringLiteral("序号"))),
                                    days_->text(QStringLiteral("时间")));
    const SaveAnswer answer =
        Dialogs::instance().askToSave(Dialogs::unsavedQuestion(windowTitle(), record), QStringLiteral("信息提示"));
    if (answer == SaveAnswer::Save)
        return storePendingEdit();
    if (answer == SaveAnswer::Discard) {
        days_->cancelUpdate();
        return true;
    }
    return false;
}

// Whether a mouse press or a key press in the grid goes to another row.
static bool movesToAnotherRow(const DataGrid& grid, const QEvent* event, int currentRow)
{
    if (event->type() == QEvent::MouseButtonPress) {
        const QModelIndex target = grid.indexAt(static_cast<const QMouseEvent*>(event)->position().toPoint());
        return target.isValid() && target.row() != currentRow;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown
            || key == Qt::Key_Home || key == Qt::Key_End;
    }
    return false;
}

bool feedbackFm1::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == DataGrid1->viewport() || watched == DataGrid1) && isEditing()
        && movesToAnotherRow(*DataGrid1, event, days_->currentRow()) && !storePendingEdit())
        return true;   // refused: the edit stays where it is
    return FormWindow::eventFilter(watched, event);
}

void feedbackFm1::Command1_Click(int index)
{
    if (!hasRows() || !storePendingEdit())
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
    if (answer.isEmpty() || !storePendingEdit())
        return;
    try {
        days_->setFilter({FieldTest::equals(QStringLiteral("序号"), answer)});
        DataGrid1->bind(days_);
        showPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void feedbackFm1::Command8_Click()
{
    if (!days_ || !storePendingEdit())
        return;
    try {
        days_->clearFilter();
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
    storePendingEdit();
    showPosition();
}

void feedbackFm1::Command4_Click()
{
    if (!hasRows())
        return;
    days_->cancelUpdate();
    if (readAgainAfterEdit_)
        openDays();
    showPosition();
}

void feedbackFm1::Command5_Click()
{
    if (!hasRows() || !days_->hasCurrentRow())
        return;
    const MsgAnswer answer = Dialogs::instance().message(QStringLiteral("确实要删除该记录吗？"), QStringLiteral("信息提示"),
                                                         MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        days_->cancelUpdate();
        const qint64 deleted = days_->bookmark();
        // The row after the deleted one is shown next (the last row when it was the last).
        const int position = days_->absolutePosition();
        announcing_ = true;
        DailyCorrections::deleteRow(state_, deleted);
        announcing_ = false;
        openDays();
        if (days_ && days_->recordCount() > 0)
            days_->setAbsolutePosition(std::min(position, days_->recordCount()));
    } catch (const DbError& error) {
        announcing_ = false;
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
    int days = 0;
    try {
        days = PlanDeletion::contentsOf(state_.store(), planNoToDelete_).days;
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    const QString plan = planNoToDelete_.isEmpty() ? QStringLiteral("无序号") : QStringLiteral("计划“%1”").arg(planNoToDelete_);
    if (days == 0) {
        reportError(QStringLiteral("%1没有每日反馈统计记录，没有删除。").arg(plan));
        return;
    }
    const MsgAnswer answer =
        Dialogs::instance().message(QStringLiteral("确实要删除吗？\n将删除%1的全部%2条每日反馈统计记录。").arg(plan).arg(days),
                                    QStringLiteral("信息提示"), MsgButtons::OkCancel, MsgIcon::Question);
    if (answer != MsgAnswer::Ok)
        return;
    try {
        rs->cancelUpdate();
        DailyCorrections::deletePlanRows(state_, planNoToDelete_);   // the grid follows the new rows
        openDays();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    showPosition();
}

void feedbackFm1::Command7_Click()
{
    close();
}

void feedbackFm1::closeEvent(QCloseEvent* event)
{
    if (!settlePendingEdit()) {
        event->ignore();
        return;
    }
    disconnect(&state_, nullptr, this, nullptr);
    DataGrid1->bind(nullptr);
    days_.reset();
    FormWindow::closeEvent(event);
}
