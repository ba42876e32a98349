#include "Form5.h"

#include "campaign/FeedbackRules.h"
#include "campaign/PlanTotals.h"
#include "campaign/ResponseRecording.h"
#include "campaign/ProgramState.h"
#include "core/Clock.h"
#include "controls/NamedWidgets.h"
#include "controls/DataGrid.h"
#include "core/DbError.h"
#include "controls/Dialogs.h"
#include "campaign/PlanRows.h"
#include "campaign/Targets.h"
#include "core/Navigation.h"
#include "controls/RecordBoxKeys.h"
#include "controls/RecordControls.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"

#include <QCloseEvent>
#include <algorithm>
#include <optional>
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

Form5::Form5(ProgramState& state)
    : FormWindow(QStringLiteral("Form5"), QStringLiteral("记录客户反馈"), WidthTwips, HeightTwips), state_(state)
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
    // Another plan made current elsewhere (executed, chosen in the main window): the window
    // takes that plan's targets unless counts wait to be saved for the target shown.
    connect(&state_, &ProgramState::currentPlanChanged, this, [this] {
        if (planNo_ != state_.currentPlanNo())
            Form_Activate();
    });
    // Rows stored by another window (an import, a mass deletion, a correction) are read again.
    connect(&state_, &ProgramState::changed, this, &Form5::followChange);
    connect(&state_, &ProgramState::productNamesChanged, this, &Form5::setProductTips);
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
    // Wide enough for the plan number, a name of twelve characters and a phone number: the
    // window grows for it where the screen has room.
    DataGrid2->setMinimumWidth(DataGrid2->fontMetrics().horizontalAdvance(QStringLiteral("中")) * 28);
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
    LabelPlan = new QLabel(targets.area);
    LabelPlan->setObjectName(QStringLiteral("LabelPlan"));
    LabelPlan->setStyleSheet(QStringLiteral("font-weight: bold;"));
    targets.layout->insertWidget(0, LabelPlan);
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
    // A target belongs to the plan the window records for; its number is not typed.
    Text4[0]->setReadOnly(true);

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
    for (int i = 3; i <= 13; ++i)
        connect(Text1[i], &QLineEdit::textEdited, this, [this, i] { dayBoxEdited(i); });
    connect(Text1[16], &QLineEdit::textEdited, this, [this] { dayBoxEdited(16); });
}

void Form5::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}


// ---- loading and activation ------------------------------------------------------------

void Form5::Form_Load()
{
    try {
        planNo_ = state_.currentPlanNo();
        planTitle_ = state_.currentPlanTitle();
        openDays();
        clearRecord();
        displayRecord();
        showDayPosition();
    } catch (const DbError&) {
    }
}

// The plan's daily rows as stored now, on the last day (or on today's row while counts for
// today wait to be saved).
void Form5::openDays()
{
    days_.reset();
    DataGrid1->bind(nullptr);
    days_ = state_.openRecordset(PlanRows::feedbackStatement(planNo_));
    DataGrid1->bind(days_);
    if (days_->recordCount() > 0)
        days_->moveLast();
    if (dayBoxesAreToday_ && !FeedbackRules::moveToTodaysRow(*days_))
        addRecord();   // today's row is gone: the new day again, with the counts waiting
    else if (days_->hasCurrentRow())
        displayRecord();
    showDayPosition();
}

void Form5::followChange(const ChangeNotice& notice)
{
    if (saving_ || !notice.touchesPlan(planNo_))
        return;
    if (notice.table == ChangeNotice::Table::Targets)
        reloadTargets();
    if (notice.table == ChangeNotice::Table::DailyRows) {
        try {
            openDays();
        } catch (const DbError&) {
        }
    }
}

// Every activation shows the current plan's targets afresh, unless counts or typed fields
// wait to be saved: then the window stays on its plan and its target until they are saved
// or dropped, so none of them moves to another plan.
void Form5::Form_Activate()
{
    setProductTips();
    if (hasUnsavedChanges())
        return;
    followCurrentPlan();
}

void Form5::followCurrentPlan()
{
    const bool planChanged = planNo_ != state_.currentPlanNo() || !days_;
    planNo_ = state_.currentPlanNo();
    planTitle_ = state_.currentPlanTitle();
    discardUnsavedChanges();
    try {
        if (planChanged) {
            dayBoxesAreToday_ = false;
            openDays();
        }
        planTargetRecordset_ = state_.openRecordset(PlanRows::targetsStatement(planNo_));
        DataGrid2->bind(planTargetRecordset_);
        if (planTargetRecordset_->recordCount() > 0)
            planTargetRecordset_->moveLast();
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    shownTargetKey_.reset();
    Frame2->hide();
    setSixButtonsEnabled(true);
    showPlanLabel();
}

// The plan's targets read again, staying on the target shown when it is still there; a new
// target being typed and the counts clicked are kept.
void Form5::reloadTargets()
{
    if (!planTargetRecordset_)
        return;
    Recordset& rs = *planTargetRecordset_;
    try {
        rs.requery();
        DataGrid2->bind(planTargetRecordset_);
        if (shownTargetKey_ && !Frame2->isHidden()) {
            try {
                rs.setBookmark(*shownTargetKey_);
                // Saved elsewhere (another window, another seat): the target shows what is
                // stored now, unless the user has counted or typed something not yet saved.
                if (!hasUnsavedChanges())
                    displayRecord2();
            } catch (const DbError&) {
                // The target shown is gone: the panel showing it goes too, and the user hears
                // of counts that can no longer be saved.
                const bool hadChanges = hasUnsavedChanges();
                shownTargetKey_.reset();
                discardUnsavedChanges();
                Frame2->hide();
                if (hadChanges)
                    reportError(QStringLiteral("正在记录的客户已被删除，未保存的计数已放弃。"));
            }
        }
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

// The product buttons keep their captions 产品1计数 … 产品5计数; the mapped product names
// reach them, their counter boxes and the daily product boxes as tips, and the counter boxes
// carry what they count as their tips and accessible names.
void Form5::setProductTips()
{
    const QStringList names = state_.productNames();
    for (int i = 0; i < 11; ++i) {
        const bool product = i >= 6;
        const QString name = product ? names.value(i - 6) : QString();
        const QString counts = product ? (name.isEmpty() ? QString::fromUtf8(CounterCaptions[i]) : name + QStringLiteral("计数"))
                                       : FeedbackRules::counterFields()[i];
        Text5[i]->setToolTip(counts);
        Text5[i]->setAccessibleName(counts);
        Command17[i]->setToolTip(product ? counts : QString::fromUtf8(ChannelTips[i]));
    }
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

void Form5::showPlanLabel()
{
    LabelPlan->setText(QStringLiteral("当前计划：") + planNo_ + (planTitle_.isEmpty() ? QString() : QStringLiteral(" ") + planTitle_));
}

void Form5::showTargetPosition()
{
    const auto& rs = planTargetRecordset_;
    Text3->setText(rs ? TextRules::positionText(rs->absolutePosition(), rs->recordCount()) : QStringLiteral("0/0"));
}

void Form5::showDayPosition()
{
    const auto& days = days_;
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
    const auto& days = days_;
    if (!days || !days->hasCurrentRow())
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
        Text1[3 + i]->setText(QString::number(stored + (dayBoxesAreToday_ ? dayAdded_[i] : 0)));
    }
    Text1[14]->setText(numberText(days->value(QStringLiteral("反馈合计（当日）"))));
    Text1[15]->setText(numberText(days->value(QStringLiteral("反馈合计（至今日）"))));
    const QString content = TextRules::trimmedText(days->value(QStringLiteral("反馈内容")));
    Text1[16]->setText(dayBoxesAreToday_ && dayContent_ ? *dayContent_ : content);
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
    shownTargetKey_ = rs->bookmark();
    newTarget_ = false;
    rememberShownFields();
}

void Form5::clearRecord2()
{
    Text4[0]->setText(planNo_);
    for (int i = 1; i < 9; ++i)
        Text4[i]->clear();
    for (QLineEdit* counter : Text5)
        counter->setText(QStringLiteral("0"));
    targetBaseline_.fill(0);
    rememberShownFields();
}

void Form5::rememberShownFields()
{
    shownFields_.clear();
    for (int i = 1; i < 9; ++i)
        shownFields_ << TextRules::trimBlanks(Text4[i]->text());
}

// The target boxes into the response: its fields as typed and, per counter, what the
// operator counted or corrected since the target was shown.
void Form5::writeRecord2(ResponseRecording::Draft& draft) const
{
    draft.targetKey = newTarget_ ? std::nullopt : shownTargetKey_;
    draft.newTargetPlan = planNo_;
    for (int i = 1; i < 9; ++i)
        draft.fields[i - 1] = Text4[i]->text();
    for (int i = 0; i < 11; ++i)
        draft.targetAdded[i] = TextRules::counterValue(Text5[i]->text()) - targetBaseline_[i];
}

// Shows today's daily row in the daily boxes: the stored one when today has one, or else a
// new day (the plan, today's date, its title) holding the counts clicked so far. The new day
// is kept by this window only; it is stored with the next save.
void Form5::addRecord()
{
    if (!days_) {
        openDays();
        return;
    }
    Recordset& days = *days_;
    if (days.recordCount() > 0 && FeedbackRules::moveToTodaysRow(days)) {
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
        Text1[3 + i]->setText(QString::number(dayAdded_[i]));
    if (dayContent_)
        Text1[16]->setText(*dayContent_);
}

// What a save adds to today's row: every count clicked since the last save, and any
// correction typed into today's boxes.
void Form5::writeRecord(ResponseRecording::Draft& draft) const
{
    draft.dayAdded = dayAdded_;
    draft.dayContent = dayContent_;
}

// A counter or the text typed into today's boxes is part of the response; typed into another
// day's boxes it is only looked at.
void Form5::dayBoxEdited(int index)
{
    if (!dayBoxesAreToday_)
        return;
    if (index == 16)
        dayContent_ = TextRules::trimBlanks(Text1[16]->text());
    else
        dayAdded_[index - 3] = TextRules::counterValue(Text1[index]->text()) - dayBaseline_[index - 3];
}

// ---- unsaved changes -------------------------------------------------------------------

bool Form5::hasUnsavedChanges() const
{
    if (Frame2->isHidden() && !newTarget_)
        return false;
    if (std::any_of(dayAdded_.begin(), dayAdded_.end(), [](qint64 n) { return n != 0; }) || dayContent_)
        return true;
    for (int i = 0; i < 11; ++i)
        if (TextRules::counterValue(Text5[i]->text()) != targetBaseline_[i])
            return true;
    for (int i = 1; i < 9; ++i)
        if (TextRules::trimBlanks(Text4[i]->text()) != shownFields_.value(i - 1))
            return true;
    return false;
}

// Before the panel shows another target or closes: counts and typed fields not yet saved
// are saved, dropped or kept as the user answers. False when they stay (cancelled, or the
// save was refused).
bool Form5::settleUnsavedChanges()
{
    if (!hasUnsavedChanges())
        return true;
    const QString name = TextRules::trimBlanks(Text4[1]->text());
    const QString record = name.isEmpty() ? QStringLiteral("新客户") : QStringLiteral("客户“%1”").arg(name);
    const SaveAnswer answer =
        Dialogs::instance().askToSave(Dialogs::unsavedQuestion(windowTitle(), record), QStringLiteral("信息提示"));
    if (answer == SaveAnswer::Save)
        return saveResponse();
    if (answer == SaveAnswer::Discard) {
        discardUnsavedChanges();
        return true;
    }
    return false;
}

// The boxes show the stored rows again.
void Form5::discardUnsavedChanges()
{
    dayAdded_.fill(0);
    dayContent_.reset();
    if (newTarget_) {
        // Back to the target the list stands on, as before the new one was started.
        newTarget_ = false;
        clearRecord2();
        setSixButtonsEnabled(true);
        Label2->hide();
        if (planTargetRecordset_ && planTargetRecordset_->hasCurrentRow())
            displayRecord2();
        else
            Frame2->hide();
    } else if (shownTargetKey_ && planTargetRecordset_) {
        try {
            planTargetRecordset_->setBookmark(*shownTargetKey_);
            displayRecord2();
        } catch (const DbError&) {
        }
    }
    displayRecord();
}

// ---- finding the target ----------------------------------------------------------------

void Form5::Command16_Click(int index)
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0 || !settleUnsavedChanges())
        return;
    try {
        Navigation::move(*planTargetRecordset_, index);
        showChosenTarget();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

// The grid has moved already: the target chosen is shown once the one shown before is settled.
void Form5::DataGrid2_Click()
{
    const auto rs = planTargetRecordset_;
    if (!rs || rs->recordCount() == 0 || !rs->hasCurrentRow())
        return;
    if (hasUnsavedChanges() && shownTargetKey_ && rs->bookmark() != *shownTargetKey_) {
        const Recordset::Bookmark chosen = rs->bookmark();
        try {
            if (!settleUnsavedChanges()) {
                rs->setBookmark(*shownTargetKey_);   // the grid goes back to the target shown
                showTargetPosition();
                return;
            }
            rs->setBookmark(chosen);
        } catch (const DbError&) {
            // The row chosen is gone after the save re-read the list: the saved one stays shown.
            return;
        }
    }
    showChosenTarget();
}

void Form5::showChosenTarget()
{
    showTargetPosition();
    showPanelWith(false);
    displayRecord2();
}

void Form5::showUnknownClients(const QString& planNo)
{
    planTargetRecordset_->setFilter(PlanRows::planTargetsContaining(QStringLiteral("营销对象"), UnknownClient, planNo));
}

// A target not yet stored: the boxes cleared for the plan the window records for, with the
// name preset; it is stored with the next save.
void Form5::startNewTarget(const QString& name)
{
    planTargetRecordset_->clearFilter();
    DataGrid2->bind(planTargetRecordset_);
    clearRecord2();
    Text4[1]->setText(name);
    rememberShownFields();
    newTarget_ = true;
    shownTargetKey_.reset();
    setSixButtonsEnabled(false);
}

void Form5::Command2_Click()
{
    if (!planTargetRecordset_ || !settleUnsavedChanges())
        return;
    try {
        showPanelWith(false);
        showUnknownClients(planNo_);
        if (planTargetRecordset_->recordCount() == 0) {
            startNewTarget(UnknownClient);
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
        const QString answer = Dialogs::instance()
                                   .input(QStringLiteral("请输入") + column + QStringLiteral("："), QStringLiteral("查询输入"), QString())
                                   .value_or(QString());
        if (answer.isEmpty() || !settleUnsavedChanges())
            return;
        rs.setFilter(PlanRows::planTargetsContaining(column, answer, planNo_));
        showTargetPosition();
        if (rs.recordCount() > 0) {
            const QString found = rs.recordCount() == 1 ? QStringLiteral("已查到此客户！")
                                                        : QStringLiteral("已查到%1个客户！").arg(rs.recordCount());
            Dialogs::instance().message(found, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::None);
            showPanelWith(false);
            displayRecord2();
            return;
        }
        showUnknownClients(planNo_);
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
        startNewTarget(TextRules::trimBlanks(answer));   // the name searched for is the new target's
        showTargetPosition();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command15_Click()
{
    if (settleUnsavedChanges())
        followCurrentPlan();
}

void Form5::Command7_Click()
{
    if (!planTargetRecordset_ || !settleUnsavedChanges())
        return;
    try {
        showPanelWith(false);
        startNewTarget(QString());
        Text4[0]->setFocus();
        addRecord();
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

void Form5::Command10_Click()
{
    if (!planTargetRecordset_ || planTargetRecordset_->recordCount() == 0 || !shownTargetKey_)
        return;
    // A target goes with its counters: the user names it before it goes.
    const QString question = QStringLiteral("确实要删除客户“%1”（计划%2）吗？它的反馈计数将一并删除。")
                                 .arg(TextRules::trimBlanks(Text4[1]->text()), TextRules::trimBlanks(Text4[0]->text()));
    if (Dialogs::instance().message(question, QStringLiteral("删除提示"), MsgButtons::OkCancel, MsgIcon::Question)
        != MsgAnswer::Ok)
        return;
    Recordset& rs = *planTargetRecordset_;
    try {
        rs.setBookmark(*shownTargetKey_);
        const int row = rs.currentRow();
        saving_ = true;
        Targets::remove(state_, *shownTargetKey_);
        saving_ = false;
        // The list without it, standing on the target that followed it.
        rs.requery();
        DataGrid2->bind(planTargetRecordset_);
        if (rs.recordCount() > 0)
            rs.setAbsolutePosition(std::min(row, rs.recordCount() - 1) + 1);
        // Its counts not yet saved go with the target.
        shownTargetKey_.reset();
        discardUnsavedChanges();
        if (rs.hasCurrentRow())
            displayRecord2();
        else
            Frame2->hide();   // no target left to show
        showTargetPosition();
    } catch (const DbError& error) {
        saving_ = false;
        reportError(error.description());
    }
}

void Form5::Command12_Click()
{
    discardUnsavedChanges();
    showTargetPosition();
}

void Form5::Command14_Click()
{
    if (!settleUnsavedChanges())
        return;
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
    ++dayAdded_[index];
}

void Form5::Command9_Click()
{
    if (!Frame2->isHidden())
        saveResponse();
}

// Stores the response; on a refusal the user reads why and the boxes stay as typed.
bool Form5::saveResponse()
{
    if (!newTarget_ && !shownTargetKey_)
        return true;   // the panel shows no target: nothing to save
    ResponseRecording::Draft draft;
    writeRecord2(draft);
    writeRecord(draft);
    ResponseRecording::Result result;
    saving_ = true;
    try {
        result = ResponseRecording::record(state_, draft);
    } catch (const DbError& error) {
        saving_ = false;
        reportError(error.description());
        return false;
    }
    saving_ = false;
    plansRecorded_ << result.planNo;
    dayAdded_.fill(0);
    dayContent_.reset();
    newTarget_ = false;
    showSavedTarget(result.targetKey);
    showSavedDay();
    setSixButtonsEnabled(true);
    Label2->hide();
    return true;
}

// After a save the whole list comes back, and the target just saved is the one shown. A target
// already among the rows shown keeps its place: only the values are read again (a list of many
// thousands of targets is not read anew for each response).
void Form5::showSavedTarget(qint64 targetKey)
{
    try {
        Recordset& rs = *planTargetRecordset_;
        if (rs.filter().isEmpty() && showKeptTarget(rs, targetKey))
            return;
        rs.clearFilter();
        rs.requery();
        DataGrid2->bind(planTargetRecordset_);
        rs.setBookmark(targetKey);
        displayRecord2();
    } catch (const DbError&) {
        // The target belongs to another plan now (its number was changed elsewhere).
        shownTargetKey_.reset();
        Frame2->hide();
    }
    showTargetPosition();
}

bool Form5::showKeptTarget(Recordset& rs, qint64 targetKey)
{
    try {
        rs.setBookmark(targetKey);
    } catch (const DbError&) {
        return false;   // a new target, not among the rows yet
    }
    rs.reread();
    displayRecord2();
    showTargetPosition();
    return true;
}

// After a save the daily rows are read again and today's row is shown: only its values when
// the rows shown already hold it, all of them when the save began a new day.
void Form5::showSavedDay()
{
    try {
        dayBoxesAreToday_ = false;
        if (days_ && days_->filter().isEmpty() && FeedbackRules::moveToTodaysRow(*days_)) {
            days_->reread();
            displayRecord();
            showDayPosition();
            return;
        }
        openDays();
        if (FeedbackRules::moveToTodaysRow(*days_))
            displayRecord();
        showDayPosition();
    } catch (const DbError&) {
    }
}

// ---- the daily rows --------------------------------------------------------------------

void Form5::Command11_Click(int index)
{
    const auto& days = days_;
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
    const auto& days = days_;
    if (!days || days->recordCount() == 0)
        return;
    showDayPosition();
    displayRecord();
}

// ---- leaving ---------------------------------------------------------------------------

// The totals and rates of the plans this window recorded for, from their own rows as stored.
void Form5::storePlanTotals()
{
    QSet<QString> plans = plansRecorded_;
    plans << planNo_;
    for (const QString& plan : plans)
        PlanTotals::store(state_, plan);
    plansRecorded_.clear();
}

void Form5::Command1_Click()
{
    if (!settleUnsavedChanges())
        return;
    try {
        storePlanTotals();
    } catch (const DbError& error) {
        reportError(error.description());
    }
    close();
}

void Form5::closeEvent(QCloseEvent* event)
{
    if (!settleUnsavedChanges()) {
        event->ignore();
        return;
    }
    DataGrid2->bind(nullptr);
    planTargetRecordset_.reset();
    FormWindow::closeEvent(event);
}
