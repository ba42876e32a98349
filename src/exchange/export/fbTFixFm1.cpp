#include "fbTFixFm1.h"

#include "TargetTable.h"
#include "outputFm1.h"
#include "controls/DataGrid.h"
#include "controls/Dialogs.h"
#include "controls/RecordControls.h"
#include "controls/SingleWindow.h"
#include "campaign/ProgramState.h"
#include "campaign/Targets.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Navigation.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <QCloseEvent>
#include <QTimer>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 13200;
constexpr int HeightTwips = 7800;

const QString InfoTitle = QStringLiteral("信息提示");

bool confirmed(const QString& question)
{
    return Dialogs::instance().message(question, InfoTitle, MsgButtons::OkCancel, MsgIcon::Question) == MsgAnswer::Ok;
}

} // namespace

fbTFixFm1::fbTFixFm1(ProgramState& state)
    : FormWindow(QStringLiteral("fbTFixFm1"), QStringLiteral("营销对象表维护"), WidthTwips, HeightTwips),
      state_(state),
      writer_(state)
{
    auto* layout = new QVBoxLayout(this);
    DataGrid1 = new DataGrid(this);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    DataGrid1->setEditable(true, false);
    DataGrid1->setShowsNewRow(true);
    layout->addWidget(DataGrid1, 1);

    auto* editRow = new QHBoxLayout;
    Text1 = RecordControls::positionBox(QStringLiteral("Text1"), this);
    editRow->addWidget(Text1);
    RecordControls::navigationButtons(Command6, QStringLiteral("Command6"), this, editRow,
                                      [this](int i) { Command6_Click(i); });
    editRow->addStretch(1);
    for (auto [button, name, caption, handler] :
         {std::tuple{&Command4, "Command4", "添加", &fbTFixFm1::Command4_Click},
          std::tuple{&Command3, "Command3", "保存", &fbTFixFm1::Command3_Click},
          std::tuple{&Command9, "Command9", "取消", &fbTFixFm1::Command9_Click},
          std::tuple{&Command2, "Command2", "删除", &fbTFixFm1::Command2_Click},
          std::tuple{&Command7, "Command7", "查寻", &fbTFixFm1::Command7_Click}})
        editRow->addWidget(addButton(*button, QString::fromUtf8(name), QString::fromUtf8(caption), handler));
    layout->addLayout(editRow);

    auto* listRow = new QHBoxLayout;
    for (auto [button, name, caption, handler] :
         {std::tuple{&Command8, "Command8", "同序号删除", &fbTFixFm1::Command8_Click},
          std::tuple{&Command5, "Command5", "删除所有无反馈客户记录", &fbTFixFm1::Command5_Click},
          std::tuple{&Command10, "Command10", "显示全库", &fbTFixFm1::Command10_Click},
          std::tuple{&Command11, "Command11", "显示有反馈记录", &fbTFixFm1::Command11_Click},
          std::tuple{&Command12, "Command12", "显示同序号有反馈记录", &fbTFixFm1::Command12_Click},
          std::tuple{&Command13, "Command13", "导出", &fbTFixFm1::Command13_Click}})
        listRow->addWidget(addButton(*button, QString::fromUtf8(name), QString::fromUtf8(caption), handler));
    listRow->addStretch(1);
    listRow->addWidget(addButton(Command1, QStringLiteral("Command1"), QStringLiteral("返回"), &fbTFixFm1::Command1_Click));
    layout->addLayout(listRow);
    Command8->setToolTip(QStringLiteral("删除全部相同序号记录"));

    connect(&state_, &ProgramState::changed, this, [this](const ChangeNotice& notice) {
        if (notice.table == ChangeNotice::Table::Targets)
            followClientRowsChanged();
    });
    // A row typed in place is stored when the user moves off it; news that came meanwhile is
    // read once the grid has settled on its new row.
    connect(DataGrid1, &DataGrid::rowColChanged, this, [this] {
        if (stale_)
            QTimer::singleShot(0, this, &fbTFixFm1::rereadIfStale);
    });
    reopen({TargetTable::AllTargets, {}});
}

QPushButton* fbTFixFm1::addButton(QPushButton*& button, const QString& name, const QString& caption,
                                  void (fbTFixFm1::*handler)())
{
    button = new QPushButton(caption, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, handler);
    return button;
}

bool fbTFixFm1::hasRows() const
{
    return rows_ && rows_->recordCount() > 0;
}

// Rows to save or drop: a stored row, or the one being added.
bool fbTFixFm1::usable() const
{
    return hasRows() || (rows_ && rows_->editMode() == Recordset::EditMode::Adding);
}

void fbTFixFm1::setEditMode(bool on)
{
    editMode_ = on;
    for (QPushButton* button : {Command2, Command5, Command6[0], Command6[1], Command6[2], Command6[3], Command7,
                                Command8, Command10, Command11, Command12, Command13})
        button->setEnabled(!on);
}

void fbTFixFm1::showPosition()
{
    Text1->setText(rows_ ? TextRules::positionText(rows_->absolutePosition(), rows_->recordCount())
                         : QStringLiteral("0/0"));
}

void fbTFixFm1::reportError(const QString& description)
{
    Dialogs::instance().message(description, InfoTitle, MsgButtons::Ok, MsgIcon::Exclamation);
}

// The user's own move to other rows stores what was typed, as leaving the row does.
// False when the store refused it: the typed values stay for correcting or 取消.
bool fbTFixFm1::storePendingEdit()
{
    if (!rows_ || rows_->editMode() == Recordset::EditMode::None)
        return true;
    try {
        rows_->update();
    } catch (const DbError& error) {
        reportError(error.description());
        return rows_->editMode() == Recordset::EditMode::None;   // an edit that can never be stored is gone
    }
    return true;
}

void fbTFixFm1::reopen(const BoundSql& statement)
{
    if (!storePendingEdit())
        return;
    try {
        rows_ = state_.openRecordset(statement);
        rows_->setRowWriter(&writer_);
        statement_ = statement;
        stale_ = false;
    } catch (const DbError& error) {
        reportError(error.description());
    }
    DataGrid1->bind(rows_);
    showPosition();
}

void fbTFixFm1::deleteMany(const std::function<void()>& deletion)
{
    if (!storePendingEdit())
        return;
    try {
        deletion();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    reopen({TargetTable::AllTargets, {}});
}

// Another window added, changed or deleted targets. A row being typed is left as it is (the
// user saves or drops it); the rows are read again after that.
void fbTFixFm1::followClientRowsChanged()
{
    if (writer_.writing() || !rows_)
        return;
    stale_ = true;
    rereadIfStale();
}

void fbTFixFm1::rereadIfStale()
{
    if (stale_ && rows_ && rows_->editMode() == Recordset::EditMode::None)
        reread();
}

// The same statement and search again, on the same target when it is still there (else on
// the row at the same place).
void fbTFixFm1::reread()
{
    stale_ = false;
    const std::optional<Recordset::Bookmark> current =
        rows_->hasCurrentRow() ? std::optional(rows_->bookmark()) : std::nullopt;
    const int row = rows_->currentRow();
    try {
        rows_->requery();
        try {
            if (current)
                rows_->setBookmark(*current);
        } catch (const DbError&) {
            if (rows_->recordCount() > 0)
                rows_->setAbsolutePosition(std::clamp(row + 1, 1, rows_->recordCount()));
        }
    } catch (const DbError& error) {
        reportError(error.description());
    }
    DataGrid1->bind(rows_);
    showPosition();
}

void fbTFixFm1::Command6_Click(int index)
{
    if (!hasRows())
        return;
    try {
        Navigation::move(*rows_, index);
    } catch (const DbError& error) {
        reportError(error.description());
    }
    showPosition();
    rereadIfStale();
}

void fbTFixFm1::Command4_Click()
{
    if (!rows_)
        return;
    try {
        rows_->addNew();
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    setEditMode(true);
    DataGrid1->setFocus();
}

void fbTFixFm1::Command3_Click()
{
    if (!usable())
        return;
    try {
        rows_->update();
    } catch (const DbError& error) {
        // The row keeps what was typed, to be corrected or dropped with 取消.
        reportError(error.description());
        if (rows_->editMode() != Recordset::EditMode::None)
            return;
    }
    setEditMode(false);
    showPosition();
    rereadIfStale();
}

void fbTFixFm1::Command9_Click()
{
    if (!usable())
        return;
    setEditMode(false);
    rows_->cancelUpdate();
    showPosition();
    rereadIfStale();
}

void fbTFixFm1::Command2_Click()
{
    if (!hasRows() || !confirmed(QStringLiteral("确实要删除该记录吗？")))
        return;
    try {
        rows_->cancelUpdate();
        rows_->deleteCurrent();
        rows_->moveNext();
        if (rows_->isEOF() && rows_->recordCount() > 0)
            rows_->moveLast();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    showPosition();
    rereadIfStale();
}

void fbTFixFm1::Command7_Click()
{
    if (!hasRows())
        return;
    const QString field = DataGrid1->currentFieldName();
    if (TargetTable::searchFilter(field, QString())) {
        const QString answer = Dialogs::instance()
                                   .input(QStringLiteral("请输入") + field + QStringLiteral("："),
                                          QStringLiteral("查询输入"), QString())
                                   .value_or(QString());
        if (answer.isEmpty())
            return;
        try {
            rows_->setFilter(*TargetTable::searchFilter(field, answer));
            DataGrid1->bind(rows_);
        } catch (const DbError& error) {
            reportError(error.description());
        }
    }
    showPosition();
}

void fbTFixFm1::Command8_Click()
{
    if (!hasRows())
        return;
    planNoToDelete_ = rows_->hasCurrentRow() ? TextRules::trimmedText(rows_->value(QStringLiteral("序号"))) : QString();
    planNoToDelete_ = Dialogs::instance()
                          .input(QStringLiteral("确认要删除记录相同序号的序号，如下："), QStringLiteral("提示信息"),
                                 planNoToDelete_)
                          .value_or(QString());
    int count = 0;
    try {
        count = Targets::countOfPlan(state_.store(), planNoToDelete_);
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    if (count == 0) {
        reportError(QStringLiteral("%1没有客户记录，没有删除。").arg(Targets::planLabel(planNoToDelete_)));
        return;
    }
    if (!confirmed(QStringLiteral("确实要删除吗？\n将删除%1的全部%2个客户记录。").arg(Targets::planLabel(planNoToDelete_)).arg(count)))
        return;
    deleteMany([this] { Targets::removeTargetsOfPlan(state_, planNoToDelete_); });
}

void fbTFixFm1::Command5_Click()
{
    if (!hasRows())
        return;
    QList<QPair<QString, int>> counts;
    try {
        counts = Targets::countWithoutFeedbackByPlan(state_.store());
    } catch (const DbError& error) {
        reportError(error.description());
        return;
    }
    int total = 0;
    for (const auto& planCount : counts)
        total += planCount.second;
    if (total == 0) {
        reportError(QStringLiteral("没有无反馈的客户记录，没有删除。"));
        return;
    }
    if (!confirmed(QStringLiteral("确实要删除无反馈客户的记录吗？\n将删除%1个客户记录：%2。")
                       .arg(total)
                       .arg(Targets::perPlanText(counts))))
        return;
    deleteMany([this] { Targets::removeTargetsWithoutFeedback(state_); });
}

void fbTFixFm1::Command10_Click()
{
    reopen({TargetTable::AllTargets, {}});
}

void fbTFixFm1::Command11_Click()
{
    reopen({TargetTable::TargetsWithFeedback, {}});
}

void fbTFixFm1::Command12_Click()
{
    if (!hasRows())
        return;
    const QString answer =
        Dialogs::instance().input(QStringLiteral("请输入序号:"), InfoTitle, QString()).value_or(QString());
    if (answer.isEmpty())
        return;
    reopen(TargetTable::targetsWithFeedbackOf(answer));
}

void fbTFixFm1::Command13_Click()
{
    if (!hasRows())
        return;
    showSingle<outputFm1>(exportWindow_, [this] { return new outputFm1(state_); });
}

void fbTFixFm1::Command1_Click()
{
    setEditMode(false);
    if (!rows_)
        return;
    close();
}

void fbTFixFm1::closeEvent(QCloseEvent* event)
{
    // Leaving drops what was typed and not saved.
    if (rows_)
        rows_->cancelUpdate();
    disconnect(&state_, nullptr, this, nullptr);
    DataGrid1->bind(nullptr);
    rows_.reset();
    FormWindow::closeEvent(event);
}
