#include "Form5.h"

#include "FeedbackRules.h"
#include "TodaysRow.h"
#include "core/AppState.h"
#include "core/Clock.h"
#include "controls/NamedWidgets.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "core/ExecutedPlans.h"
#include "core/Navigation.h"
#include "controls/RecordBoxKeys.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <QCloseEvent>
#include <algorithm>
#include <optional>
#include <functional>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12000;
constexpr int HeightTwips = 9000;
const QString UnknownClient = QStringLiteral("未知客户");

const char* const TargetCaptions[9] = {"序号", "单位名称", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码"};
const char* const TargetFields[9] = {"序号", "营销对象", "电话1", "电话2", "传真", "联系人1", "联系人2", "地址", "邮政编码"};
const char* const CounterCaptions[11] = {"电话数加", "传真数加", "Email数加", "信函数加", "面访数加", "参观数加",
                                         "产品1计数", "产品2计数", "产品3计数", "产品4计数", "产品5计数"};
const char* const ChannelTips[6] = {"电话计数", "传真计数", "Email计数", "信函计数", "面访计数", "参观计数"};

QString todayText()
{
    return Clock::today().toString(QStringLiteral("yyyy/M/d"));
}

QString numberText(const QVariant& value)
{
    return QString::number(value.toLongLong());
}

} // namespace

using NamedWidgets::box;
using NamedWidgets::button;

Form5::Form5()
    : FormWindow(QStringLiteral("Form5"), QStringLiteral("记录客户反馈"), WidthTwips, HeightTwips)
{
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(buildTargetSide(), 4);
    topLayout->addWidget(buildPanel(), 5);
    // The target's panel keeps its room while hidden, so choosing a target moves nothing.
    QSizePolicy keepRoom = Frame2->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    Frame2->setSizePolicy(keepRoom);
    splitter->addWidget(top);
    splitter->addWidget(buildDailySide());
    splitter->setStretchFactor(0, 6);
    splitter->setStretchFactor(1, 4);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    new RecordBoxKeys(QList<QLineEdit*>(std::begin(Text4), std::end(Text4)), this);
    Text1[1]->installEventFilter(this);
    connectHandlers();
    connect(&AppState::instance(), &AppState::planFeedbackRecordsetReplaced, this, &Form5::followDailyRecordset);
    // Another plan made current elsewhere (executed, chosen in the main window): the window
    // takes that plan's targets, so what it saves always belongs to the plan it shows.
    connect(&AppState::instance(), &AppState::currentPlanChanged, this, [this] {
        if (planNo_ != AppState::instance().currentPlanNo)
            Form_Activate();
    });
    // Targets added or deleted by another window (an import, a mass deletion) are read again.
    connect(&AppState::instance(), &AppState::clientRowsChanged, this, &Form5::reloadTargets);
    connect(this, &FormWindow::activated, this, &Form5::Form_Activate);
    Form_Load();
    Form_Activate();
}

QWidget* Form5::buildTargetSide()
{
    const RecordControls::GridArea targets = RecordControls::gridWithNavigation(
        this, QStringLiteral("DataGrid2"), QStringLiteral("Text3"), Command16, QStringLiteral("Command16"),
        [this](int i) { Command16_Click(i); });
    DataGrid2 = targets.grid;
    Text3 = targets.position;
    targets.row->addStretch(1);
    auto* searchRow = new QHBoxLayout;
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("未知客户"), targets.area);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("查寻"), targets.area);
    Command15 = button(QStringLiteral("Command15"), QStringLiteral("显示全库"), targets.area);
    searchRow->addWidget(Command2);
    searchRow->addWidget(Command5);
    searchRow->addWidget(Command15);
    searchRow->addStretch(1);
    targets.layout->insertLayout(0, searchRow);
    return targets.area;
}

QWidget* Form5::buildPanel()
{
    Frame2 = new QFrame(this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(Frame2);
    auto* boxes = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        auto* label = new QLabel(QString::fromUtf8(TargetCaptions[i]), Frame2);
        label->setObjectName(QStringLiteral("Label4(%1)").arg(i));
        Text4[i] = box(QStringLiteral("Text4(%1)").arg(i), Frame2);
        label->setBuddy(Text4[i]);
        const int row = i < 2 ? i : (i - 2) / 2 + 2;
        const int column = i < 2 ? 0 : ((i - 2) % 2) * 2;
        boxes->addWidget(label, row, column);
        boxes->addWidget(Text4[i], row, column + 1, 1, i < 2 ? 3 : 1);
    }
    layout->addLayout(boxes);

    Frame4 = new QFrame(Frame2);
    Frame4->setObjectName(QStringLiteral("Frame4"));
    Frame4->setFrameShape(QFrame::StyledPanel);
    auto* counters = new QGridLayout(Frame4);
    counters->setSpacing(4);
    for (int i = 0; i < 11; ++i) {
        Command17[i] = button(QStringLiteral("Command17(%1)").arg(i), QString::fromUtf8(CounterCaptions[i]), Frame4);
        Command17[i]->setMinimumWidth(Command17[i]->fontMetrics().horizontalAdvance(QString::fromUtf8(CounterCaptions[i])) + 10);
        Command17[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        Text5[i] = box(QStringLiteral("Text5(%1)").arg(i), Frame4);
        Text5[i]->setAlignment(Qt::AlignRight);
        Text5[i]->setProperty("fieldName", FeedbackRules::counterFields()[i]);
        const int row = i < 6 ? 0 : 2;
        const int column = i < 6 ? i : i - 6;
        counters->addWidget(Command17[i], row, column);
        counters->addWidget(Text5[i], row + 1, column);
    }
    layout->addWidget(Frame4);

    auto* actions = new QHBoxLayout;
    Label2 = new QLabel(QStringLiteral("添加新客户"), Frame2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    actions->addWidget(Label2);
    actions->addStretch(1);
    Command7 = button(QStringLiteral("Command7"), QStringLiteral("添加"), Frame2);
    Command9 = button(QStringLiteral("Command9"), QStringLiteral("保存"), Frame2);
    Command10 = button(QStringLiteral("Command10"), QStringLiteral("删除"), Frame2);
    Command12 = button(QStringLiteral("Command12"), QStringLiteral("取消"), Frame2);
    Command14 = button(QStringLiteral("Command14"), QStringLiteral("返回"), Frame2);
    for (QPushButton* b : {Command7, Command9, Command10, Command12, Command14})
        actions->addWidget(b);
    layout->addLayout(actions);
    layout->addStretch(1);
    return Frame2;
}

QWidget* Form5::buildDailySide()
{
    auto* side = new QWidget(this);
    auto* layout = new QHBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* gridSide = new QVBoxLayout;
    DataGrid1 = new DataGrid(side);
    DataGrid1->setObjectName(QStringLiteral("DataGrid1"));
    gridSide->addWidget(DataGrid1, 1);
    Frame3 = new QFrame(side);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    auto* navigation = new QHBoxLayout(Frame3);
    navigation->setContentsMargins(0, 0, 0, 0);
    Text2 = RecordControls::positionBox(QStringLiteral("Text2"), Frame3);
    navigation->addWidget(Text2);
    RecordControls::navigationButtons(Command11, QStringLiteral("Command11"), Frame3, navigation,
                                      [this](int i) { Command11_Click(i); });
    navigation->addStretch(1);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("返回"), Frame3);
    navigation->addWidget(Command1);
    gridSide->addWidget(Frame3);
    layout->addLayout(gridSide, 5);

    Frame1 = new QFrame(side);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::StyledPanel);
    auto* daily = new QGridLayout(Frame1);
    daily->setSpacing(3);
    for (int i = 0; i < 17; ++i)
        Text1[i] = box(QStringLiteral("Text1(%1)").arg(i), Frame1);
    auto addLabelled = [&](int index, const QString& caption, int row, int column, int span) {
        auto* label = new QLabel(caption, Frame1);
        label->setObjectName(QStringLiteral("Label1(%1)").arg(index));
        label->setBuddy(Text1[index]);
        daily->addWidget(label, row, column);
        daily->addWidget(Text1[index], row, column + 1, 1, span);
    };
    addLabelled(0, QStringLiteral("序    号"), 0, 0, 6);
    addLabelled(1, QStringLiteral("时    间"), 1, 0, 6);
    addLabelled(2, QStringLiteral("题    目"), 2, 0, 6);
    auto* countersLabel = new QLabel(QStringLiteral("计数"), Frame1);
    daily->addWidget(countersLabel, 3, 0);
    for (int i = 3; i <= 13; ++i) {
        Text1[i]->setAlignment(Qt::AlignRight);
        Text1[i]->setMinimumWidth(36);
        Text1[i]->setMaximumWidth(64);
        Text1[i]->setProperty("fieldName", FeedbackRules::counterFields()[i - 3]);
        daily->addWidget(Text1[i], 3 + (i - 3) / 6, 1 + (i - 3) % 6);
    }
    addLabelled(14, QStringLiteral("反馈合计（当日）"), 5, 0, 6);
    addLabelled(15, QStringLiteral("反馈合计（至今日）"), 6, 0, 6);
    addLabelled(16, QStringLiteral("反馈内容"), 7, 0, 6);
    for (int i = 3; i <= 8; ++i)
        Text1[i]->setToolTip(QString::fromUtf8(ChannelTips[i - 3]));
    layout->addWidget(Frame1, 6);
    return side;
}

void Form5::connectHandlers()
{
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(Command5, &QPushButton::clicked, this, &Form5::Command5_Click);
    connect(Command15, &QPushButton::clicked, this, &Form5::Command15_Click);
    connect(Command7, &QPushButton::clicked, this, &Form5::Command7_Click);
    connect(Command9, &QPushButton::clicked, this, &Form5::Command9_Click);
    connect(Command10, &QPushButton::clicked, this, &Form5::Command10_Click);
    connect(Command12, &QPushButton::clicked, this, &Form5::Command12_Click);
    connect(Command14, &QPushButton::clicked, this, &Form5::Command14_Click);
    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    for (int i = 0; i < 11; ++i)
        connect(Command17[i], &QPushButton::clicked, this, [this, i] { Command17_Click(i); });
    connect(DataGrid2, &DataGrid::gridClicked, this, &Form5::DataGrid2_Click);
    connect(DataGrid1, &DataGrid::gridClicked, this, &Form5::DataGrid1_Click);
}

void Form5::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

// ---- loading and activation ------------------------------------------------------------

void Form5::Form_Load()
{
    try {
        followDailyRecordset();
        const auto days = AppState::instance().planFeedbackRecordset();
        if (days && days->recordCount() > 0)
            days->moveLast();
        clearRecord();
        displayRecord();
        showDayPosition();
    } catch (const DbError&) {
    }
}

// The main window replaces the program's daily rows whenever it is activated; the daily
// grid follows, so it always shows the rows the window's buttons act on.
void Form5::followDailyRecordset()
{
    const auto days = AppState::instance().planFeedbackRecordset();
    DataGrid1->bind(days);
    showDayPosition();
    if (days && days->hasCurrentRow())
        displayRecord();
}

void Form5::Form_Activate()
{
    AppState& state = AppState::instance();
    planNo_ = state.currentPlanNo;
    planTitle_ = state.currentPlanTitle;
    pendingClicks_.fill(0);
    try {
        dropPendingEdits();
        planTargetRecordset_ = state.openRecordset(QStringLiteral("Select * From clientTableInfo Where 序号 = ")
                                                   + SqlText::quote(state.currentPlanNo));
        DataGrid2->bind(planTargetRecordset_);
        if (planTargetRecordset_->recordCount() > 0)
            planTargetRecordset_->moveLast();
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    Frame2->hide();
    setSixButtonsEnabled(true);
    setProductTips();
    if (dayBoxesAreToday_)
        displayRecord();
}

// The plan's targets read again, staying on the target shown when it is still there; a new
// target being typed and the counts clicked are kept.
void Form5::reloadTargets()
{
    if (!planTargetRecordset_ || planTargetRecordset_->editMode() != Recordset::EditMode::None)
        return;
    Recordset& rs = *planTargetRecordset_;
    const std::optional<Recordset::Bookmark> shown =
        rs.hasCurrentRow() ? std::optional<Recordset::Bookmark>(rs.bookmark()) : std::nullopt;
    try {
        rs.requery();
        DataGrid2->bind(planTargetRecordset_);
        try {
            if (shown)
                rs.setBookmark(*shown);
        } catch (const DbError&) {
            // The target shown is gone: the panel showing it goes too.
            pendingClicks_.fill(0);
            Frame2->hide();
            if (rs.recordCount() > 0)
                rs.moveLast();
        }
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::setProductTips()
{
    const QStringList& names = AppState::instance().productNames;
    for (int k = 0; k < 5; ++k) {
        const QString name = names.value(k);
        Text1[9 + k]->setToolTip(name.isEmpty() ? QString() : name + QStringLiteral("计数"));
    }
}

bool Form5::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text1[1] && event->type() == QEvent::FocusIn)
        Text1[1]->setText(todayText());
    return FormWindow::eventFilter(watched, event);
}

// ---- position displays and the panel ---------------------------------------------------

void Form5::showTargetPosition()
{
    const auto& rs = planTargetRecordset_;
    Text3->setText(rs ? TextRules::positionText(rs->absolutePosition(), rs->recordCount()) : QStringLiteral("0/0"));
}

void Form5::showDayPosition()
{
    const auto days = AppState::instance().planFeedbackRecordset();
    Text2->setText(days ? TextRules::positionText(days->absolutePosition(), days->recordCount())
                        : QStringLiteral("0/0"));
}

void Form5::setSixButtonsEnabled(bool enabled)
{
    for (QPushButton* b : {Command2, Command5, Command15, Command7, Command10, Command14})
        b->setEnabled(enabled);
    // While a new target is typed, moving in the list would leave it half-made.
    DataGrid2->setEnabled(enabled);
    for (QPushButton* b : Command16)
        b->setEnabled(enabled);
}

void Form5::showPanelWith(bool newTargetLabel)
{
    Frame2->show();
    Label2->setVisible(newTargetLabel);
}

// ---- record procedures -----------------------------------------------------------------

void Form5::displayRecord()
{
    const auto days = AppState::instance().planFeedbackRecordset();
    if (!days || !days->hasCurrentRow() || days->editMode() == Recordset::EditMode::Adding)
        return;
    const QString rowPlan = TextRules::trimmedText(days->value(QStringLiteral("序号")));
    Text1[0]->setText(rowPlan);
    Text1[1]->setText(TextRules::trimmedText(days->value(QStringLiteral("时间"))));
    Text1[2]->setText(TextRules::trimmedText(days->value(QStringLiteral("题目"))));
    dayBoxesAreToday_ = rowPlan == planNo_ && FeedbackRules::isToday(days->value(QStringLiteral("时间")));
    for (int i = 0; i < 11; ++i) {
        // Today's row shows the counts clicked but not yet saved as well.
        const qint64 stored = days->value(FeedbackRules::counterFields()[i]).toLongLong();
        dayBaseline_[i] = stored;
        Text1[3 + i]->setText(QString::number(stored + (dayBoxesAreToday_ ? pendingClicks_[i] : 0)));
    }
    Text1[14]->setText(numberText(days->value(QStringLiteral("反馈合计（当日）"))));
    Text1[15]->setText(numberText(days->value(QStringLiteral("反馈合计（至今日）"))));
    Text1[16]->setText(TextRules::trimmedText(days->value(QStringLiteral("反馈内容"))));
}

void Form5::clearRecord()
{
    for (int i = 3; i <= 15; ++i)
        Text1[i]->setText(QStringLiteral("0"));
    Text1[16]->clear();
}

void Form5::displayRecord2()
{
    const auto& rs = planTargetRecordset_;
    if (!rs || !rs->hasCurrentRow())
        return;
    for (int i = 0; i < 9; ++i)
        Text4[i]->setText(TextRules::trimmedText(rs->value(QString::fromUtf8(TargetFields[i]))));
    for (int i = 0; i < 11; ++i) {
        targetBaseline_[i] = rs->value(FeedbackRules::counterFields()[i]).toLongLong();
        Text5[i]->setText(QString::number(targetBaseline_[i]));
    }
}

void Form5::clearRecord2()
{
    Text4[0]->setText(planNo_);
    for (int i = 1; i < 9; ++i)
        Text4[i]->clear();
    for (QLineEdit* counter : Text5)
        counter->setText(QStringLiteral("0"));
    targetBaseline_.fill(0);
}

// The target boxes into the target's row. Counters add what the operator counted (or
// corrected by hand) since the target was shown to the values stored now, so counts saved
// meanwhile by anyone else stay.
void Form5::writeRecord2()
{
    Recordset& rs = *planTargetRecordset_;
    const bool adding = rs.editMode() == Recordset::EditMode::Adding;
    if (!adding)
        rs.reread();
    QList<qint64> counters;
    for (int i = 0; i < 11; ++i) {
        const qint64 stored = adding ? 0 : rs.value(FeedbackRules::counterFields()[i]).toLongLong();
        counters << stored + TextRules::counterValue(Text5[i]->text()) - targetBaseline_[i];
    }
    for (int i = 0; i < 9; ++i)
        rs.setValue(QString::fromUtf8(TargetFields[i]), TextRules::trimBlanks(Text4[i]->text()));
    for (int i = 0; i < 11; ++i)
        rs.setValue(FeedbackRules::counterFields()[i], counters[i]);
    rs.setValue(QStringLiteral("反馈合计"), FeedbackRules::channelTotal(counters));
    rs.setValue(QStringLiteral("记录号"), QString());
}

// Shows today's daily row in the daily boxes: the stored one when today has one, or else a
// new day (the plan, today's date, its title) holding the counts clicked so far. The new day
// is kept by this window only; it is stored with the next save.
void Form5::addRecord()
{
    AppState& state = AppState::instance();
    if (!state.planFeedbackRecordset())
        ExecutedPlans::openPlanFeedback(state);
    Recordset& days = *state.planFeedbackRecordset();
    if (days.recordCount() > 0 && planNo_ == state.currentPlanNo && FeedbackRules::moveToTodaysRow(days)) {
        displayRecord();
        showDayPosition();
        return;
    }
    clearRecord();
    Text1[0]->setText(planNo_);
    Text1[1]->setText(todayText());
    Text1[2]->setText(planTitle_);
    dayBoxesAreToday_ = true;
    dayBaseline_.fill(0);
    for (int i = 0; i < 11; ++i)
        Text1[3 + i]->setText(QString::number(pendingClicks_[i]));
}

// What a save adds to today's row: every count clicked since the last save, and any
// correction typed into today's boxes.
void Form5::writeRecord()
{
    TodaysRow::Increments increments;
    for (int i = 0; i < 11; ++i)
        increments.counters[i] = dayBoxesAreToday_ ? TextRules::counterValue(Text1[3 + i]->text()) - dayBaseline_[i]
                                                   : pendingClicks_[i];
    if (dayBoxesAreToday_)
        increments.content = TextRules::trimBlanks(Text1[16]->text());
    const qint64 runningTotal = TodaysRow::add(AppState::instance().dbConnection, planNo_, planTitle_, increments);
    Text1[15]->setText(QString::number(runningTotal));
}

// ---- finding the target ----------------------------------------------------------------

// Counts clicked for one target and not saved do not follow the operator to another target.
static void forgetUnsavedCounts(QList<int>& pendingClicks, const std::function<void()>& redisplay)
{
    if (std::all_of(pendingClicks.begin(), pendingClicks.end(), [](int n) { return n == 0; }))
        return;
    pendingClicks.fill(0);
    redisplay();
}

void Form5::Command16_Click(int index)
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0)
        return;
    try {
        Navigation::move(*planTargetRecordset_, index);
        DataGrid2_Click();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::DataGrid2_Click()
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0)
        return;
    forgetUnsavedCounts(pendingClicks_, [this] { displayRecord(); });
    showTargetPosition();
    showPanelWith(false);
    displayRecord2();
}

void Form5::showUnknownClients(const QString& planNo)
{
    planTargetRecordset_->setFilter(SqlText::contains(QStringLiteral("营销对象"), UnknownClient) + QStringLiteral(" And ")
                                    + SqlText::equals(QStringLiteral("序号"), planNo));
}

void Form5::startNewTarget()
{
    planTargetRecordset_->setFilter(QString());
    DataGrid2->bind(planTargetRecordset_);
    planTargetRecordset_->addNew();
    clearRecord2();
    setSixButtonsEnabled(false);
}

void Form5::Command2_Click()
{
    if (!planTargetRecordset_)
        return;
    AppState& state = AppState::instance();
    try {
        forgetUnsavedCounts(pendingClicks_, [this] { displayRecord(); });
        showPanelWith(false);
        showUnknownClients(planNo_);
        if (planTargetRecordset_->recordCount() == 0) {
            startNewTarget();
            Text4[1]->setText(UnknownClient);
            addRecord();
        } else {
            displayRecord2();
        }
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command5_Click()
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0)
        return;
    Recordset& rs = *planTargetRecordset_;
    try {
        const QString column = rs.field(rs.fieldIndex(QStringLiteral("营销对象"))).name;
        const QString planNo = rs.hasCurrentRow() ? TextRules::trimmedText(rs.value(QStringLiteral("序号"))) : planNo_;
        const QString answer = Dialogs::instance()
                                   .input(QStringLiteral("请输入") + column + QStringLiteral("："), QStringLiteral("查询输入"), QString())
                                   .value_or(QString());
        if (answer.isEmpty())
            return;
        forgetUnsavedCounts(pendingClicks_, [this] { displayRecord(); });
        rs.setFilter(SqlText::contains(column, answer) + QStringLiteral(" And ") + SqlText::equals(QStringLiteral("序号"), planNo));
        showTargetPosition();
        if (rs.recordCount() > 0) {
            Dialogs::instance().message(QStringLiteral("已查到此客户！"), QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::None);
            showPanelWith(false);
            displayRecord2();
            return;
        }
        showUnknownClients(planNo);
        if (rs.recordCount() > 0) {
            Dialogs::instance().message(QStringLiteral("无 ") + answer + QStringLiteral(" 此客户！\r\n但查到未知客户！"),
                                        QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::None);
            showTargetPosition();
            showPanelWith(false);
            displayRecord2();
            return;
        }
        Dialogs::instance().message(QStringLiteral("无此客户！"), QStringLiteral("添加新客户"), MsgButtons::Ok, MsgIcon::None);
        showPanelWith(true);
        startNewTarget();
        Text4[0]->setText(planNo_);
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command15_Click()
{
    Form_Activate();
}

void Form5::Command7_Click()
{
    if (!planTargetRecordset_)
        return;
    try {
        forgetUnsavedCounts(pendingClicks_, [this] { displayRecord(); });
        startNewTarget();
        Text4[0]->setFocus();
        addRecord();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command10_Click()
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0)
        return;
    Recordset& rs = *planTargetRecordset_;
    try {
        rs.deleteCurrent();
        rs.moveNext();
        if (rs.isEOF() && rs.recordCount() > 0)
            rs.moveLast();
        if (rs.hasCurrentRow())
            displayRecord2();
        else
            Frame2->hide();   // no target left to show
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command12_Click()
{
    try {
        pendingClicks_.fill(0);
        if (planTargetRecordset_) {
            planTargetRecordset_->cancelUpdate();
            displayRecord2();
        }
        displayRecord();
        setSixButtonsEnabled(true);
        Label2->hide();
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command14_Click()
{
    if (planTargetRecordset_)
        planTargetRecordset_->cancelUpdate();
    // Counts not saved are dropped with the panel, so they are not saved with another target.
    pendingClicks_.fill(0);
    displayRecord();
    setSixButtonsEnabled(true);
    Frame2->hide();
    showTargetPosition();
}

// ---- counting and saving ---------------------------------------------------------------

void Form5::Command17_Click(int index)
{
    // Counts always go to today: the daily boxes show today's row (or the new day) first.
    if (!dayBoxesAreToday_) {
        try {
            addRecord();
        } catch (const DbError& error) {
            reportError(error.description());
            return;
        }
    }
    Text5[index]->setText(QString::number(TextRules::counterValue(Text5[index]->text()) + 1));
    Text1[index + 3]->setText(QString::number(TextRules::counterValue(Text1[index + 3]->text()) + 1));
    ++pendingClicks_[index];
}

void Form5::Command9_Click()
{
    if (!planTargetRecordset_)
        return;
    Recordset& targets = *planTargetRecordset_;
    const bool wasNewTarget = targets.editMode() == Recordset::EditMode::Adding;
    const qint64 targetKey = (!wasNewTarget && targets.hasCurrentRow()) ? targets.bookmark() : 0;
    try {
        storeResponse();
    } catch (const DbError& error) {
        recoverAfterFailedSave(wasNewTarget, targetKey);
        reportError(error.description());
        return;
    }
    pendingClicks_.fill(0);
    DataGrid2->bind(planTargetRecordset_);
    displayRecord2();
    showTargetPosition();
    showSavedDay();
    setSixButtonsEnabled(true);
    Label2->hide();
}

// The target, today's row and the running totals are stored together or not at all, with
// the database locked for writing from the first read to the last write.
void Form5::storeResponse()
{
    Transaction transaction(*AppState::instance().dbConnection);
    writeRecord2();
    planTargetRecordset_->update();
    // The whole list comes back, and the target just saved stays the one shown.
    const Recordset::Bookmark saved = planTargetRecordset_->bookmark();
    planTargetRecordset_->setFilter(QString());
    planTargetRecordset_->setBookmark(saved);
    writeRecord();
    transaction.commit();
}

// After a save the daily rows are read again and today's row is shown.
void Form5::showSavedDay()
{
    AppState& state = AppState::instance();
    const auto days = state.planFeedbackRecordset();
    try {
        if (days && planNo_ == state.currentPlanNo) {
            days->requery();
            if (FeedbackRules::moveToTodaysRow(*days)) {
                displayRecord();
                showDayPosition();
                return;
            }
        }
    } catch (const DbError&) {
    }
    // Today's row is not among the rows shown (another plan's, or filtered away).
    dayBoxesAreToday_ = false;
    showDayPosition();
}

// After a refused save nothing of it is stored; the window goes back to the target it was
// on (or to the new target being typed), with the boxes as the operator left them.
void Form5::recoverAfterFailedSave(bool wasNewTarget, qint64 targetKey)
{
    try {
        planTargetRecordset_->cancelUpdate();
        planTargetRecordset_->requery();
        DataGrid2->bind(planTargetRecordset_);
        if (wasNewTarget)
            planTargetRecordset_->addNew();
        else if (targetKey)
            planTargetRecordset_->setBookmark(targetKey);
        showTargetPosition();
        showDayPosition();
    } catch (const DbError&) {
    }
}

// ---- the daily rows --------------------------------------------------------------------

void Form5::Command11_Click(int index)
{
    const auto days = AppState::instance().planFeedbackRecordset();
    if (!days || days->recordCount() == 0)
        return;
    try {
        Navigation::move(*days, index);
        showDayPosition();
        displayRecord();
    } catch (const DbError& error) {
        Dialogs::instance().message(error.description(), QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::None);
    }
}

void Form5::DataGrid1_Click()
{
    const auto days = AppState::instance().planFeedbackRecordset();
    if (!days || days->recordCount() == 0)
        return;
    showDayPosition();
    displayRecord();
}

// ---- leaving ---------------------------------------------------------------------------

// The plan's total and rate, from the plan's own daily rows and its own row of the executed
// plans as they are stored (not the rows another window has open or moved).
void Form5::storePlanTotals()
{
    AppState& state = AppState::instance();
    const std::optional<qint64> total = TodaysRow::planTotal(state.dbConnection, planNo_);
    if (!total)
        return;
    Transaction transaction(*state.dbConnection);
    Recordset plans(state.dbConnection,
                    QStringLiteral("Select * From marketingComment Where 序号 = ") + SqlText::quote(planNo_));
    if (plans.recordCount() == 0)
        return;
    plans.setValue(QStringLiteral("反馈合计"), QString::number(*total));
    plans.setValue(QStringLiteral("反馈率"),
                   FeedbackRules::responseRateText(*total, TextRules::trimmedText(plans.value(QStringLiteral("规模（数量）")))));
    plans.update();
    transaction.commit();
    if (const auto shared = state.planRecordset())
        shared->reread();
}

void Form5::Command1_Click()
{
    try {
        storePlanTotals();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    close();
}

void Form5::dropPendingEdits()
{
    try {
        if (planTargetRecordset_)
            planTargetRecordset_->cancelUpdate();
    } catch (const DbError&) {
    }
}

void Form5::closeEvent(QCloseEvent* event)
{
    dropPendingEdits();
    DataGrid2->bind(nullptr);
    planTargetRecordset_.reset();
    FormWindow::closeEvent(event);
}
