#include "clientBrowseFm1.h"

#include "TargetChart.h"
#include "TargetFields.h"
#include "TargetQueries.h"
#include "controls/NamedWidgets.h"
#include "controls/ChartControl.h"
#include "controls/DataGrid.h"
#include "controls/Dialogs.h"
#include "controls/RecordControls.h"
#include "campaign/ProgramState.h"
#include "core/DbError.h"
#include "core/Navigation.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

constexpr int WidthTwips = 12600;
constexpr int HeightTwips = 10800;

} // namespace

using NamedWidgets::button;
using NamedWidgets::option;
using NamedWidgets::panel;

clientBrowseFm1::clientBrowseFm1(const ProgramState& state)
    : FormWindow(QStringLiteral("clientBrowseFm1"), QStringLiteral("营销对象反馈浏览"), WidthTwips, HeightTwips),
      state_(state)
{
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(buildListSide());
    auto* details = new QWidget(splitter);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->setContentsMargins(0, 0, 0, 0);
    detailsLayout->addWidget(buildBoxes());
    detailsLayout->addWidget(buildCharts(), 1);
    splitter->addWidget(details);
    // The list takes as much of a larger window as the details do.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    connectHandlers();
    connect(this, &FormWindow::activated, this, &clientBrowseFm1::Form_Activate);
    connect(&state_, &ProgramState::changed, this, [this](const ChangeNotice& notice) {
        if (notice.table == ChangeNotice::Table::Targets && notice.touchesPlan(planNo_))
            rereadRows();
    });
    Form_Load();
}

QWidget* clientBrowseFm1::buildListSide()
{
    const RecordControls::GridArea list = RecordControls::gridWithNavigation(
        this, QStringLiteral("DataGrid1"), QStringLiteral("Text2"), Command1, QStringLiteral("Command1"),
        [this](int i) { Command1_Click(i); });
    DataGrid1 = list.grid;
    Text2 = list.position;
    list.row->addStretch(1);
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("查寻"), list.area);
    Command4 = button(QStringLiteral("Command4"), QStringLiteral("显示反馈客户"), list.area);
    Command5 = button(QStringLiteral("Command5"), QStringLiteral("显示全库"), list.area);
    Command6 = button(QStringLiteral("Command6"), QStringLiteral("导出"), list.area);
    Command7 = button(QStringLiteral("Command7"), QStringLiteral("返回"), list.area);
    for (QPushButton* b : {Command2, Command4, Command5, Command6, Command7})
        list.row->addWidget(b);
    return list.area;
}

// Contact data in three columns of caption and box, then the counters in a row each.
QWidget* clientBrowseFm1::buildBoxes()
{
    QFrame* frame = panel(QStringLiteral("Frame1"), this);
    auto* layout = new QVBoxLayout(frame);
    const QList<TargetFields::Shown>& shown = TargetFields::boxes();
    for (int i = 0; i < 22; ++i) {
        Label1[i] = new QLabel(shown[i].caption, frame);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Text1[i] = new QLineEdit(frame);
        Text1[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        Text1[i]->setReadOnly(true);
        Text1[i]->setProperty("fieldName", shown[i].field);
        Label1[i]->setBuddy(Text1[i]);
        if (TargetFields::isCounter(i))
            Text1[i]->setAlignment(Qt::AlignRight);
    }

    auto* contact = new QGridLayout;
    auto place = [contact, this](int index, int row, int column, int span = 1) {
        contact->addWidget(Label1[index], row, column * 2);
        contact->addWidget(Text1[index], row, column * 2 + 1, 1, span);
    };
    place(0, 0, 0);
    place(1, 0, 1, 3);
    place(2, 1, 0, 3);
    place(21, 1, 2);
    place(3, 2, 0);
    place(4, 2, 1);
    place(5, 2, 2);
    place(6, 3, 0);
    place(7, 3, 1);
    place(8, 3, 2);
    for (int column : {1, 3, 5})
        contact->setColumnStretch(column, 1);
    layout->addLayout(contact);

    auto* counters = new QGridLayout;
    for (int i = 9; i <= 20; ++i) {
        const int row = i <= 15 ? 0 : 1;
        const int column = i <= 15 ? i - 9 : i - 16;
        counters->addWidget(Label1[i], row, column * 2);
        counters->addWidget(Text1[i], row, column * 2 + 1);
        counters->setColumnStretch(column * 2 + 1, 1);
    }
    layout->addLayout(counters);
    return frame;
}

// Each chart with the two options of its style beneath it.
QWidget* clientBrowseFm1::buildCharts()
{
    QFrame* frame = panel(QStringLiteral("Frame2"), this);
    auto* layout = new QHBoxLayout(frame);

    auto chartColumn = [frame, layout](ChartControl*& chart, const QString& chartName, QRadioButton*& bars,
                                       QRadioButton*& lines, const QString& barsName, const QString& barsCaption,
                                       const QString& linesName, const QString& linesCaption) {
        auto* column = new QVBoxLayout;
        chart = new ChartControl(frame);
        chart->setObjectName(chartName);
        column->addWidget(chart, 1);
        auto* styles = new QHBoxLayout;
        bars = option(barsName, barsCaption, frame);
        lines = option(linesName, linesCaption, frame);
        auto* group = new QButtonGroup(frame);
        group->addButton(bars);
        group->addButton(lines);
        styles->addStretch(1);
        styles->addWidget(bars);
        styles->addWidget(lines);
        styles->addStretch(1);
        column->addLayout(styles);
        layout->addLayout(column, 1);
    };
    chartColumn(MSChart1, QStringLiteral("MSChart1"), Option1, Option3, QStringLiteral("Option1"),
                QStringLiteral("柱型1"), QStringLiteral("Option3"), QStringLiteral("折线1"));
    chartColumn(MSChart2, QStringLiteral("MSChart2"), Option2, Option4, QStringLiteral("Option2"),
                QStringLiteral("柱型2"), QStringLiteral("Option4"), QStringLiteral("折线2"));
    return frame;
}

void clientBrowseFm1::connectHandlers()
{
    connect(Command2, &QPushButton::clicked, this, &clientBrowseFm1::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &clientBrowseFm1::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &clientBrowseFm1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &clientBrowseFm1::Command6_Click);
    connect(Command7, &QPushButton::clicked, this, &clientBrowseFm1::Command7_Click);
    connect(DataGrid1, &DataGrid::gridClicked, this, &clientBrowseFm1::DataGrid1_Click);
    connect(Option1, &QRadioButton::clicked, this, &clientBrowseFm1::chart1);
    connect(Option2, &QRadioButton::clicked, this, &clientBrowseFm1::chart2);
    connect(Option3, &QRadioButton::clicked, this, &clientBrowseFm1::chart11);
    connect(Option4, &QRadioButton::clicked, this, &clientBrowseFm1::chart22);
}

void clientBrowseFm1::reportError(const QString& description)
{
    Dialogs::instance().message(description, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Exclamation);
}

bool clientBrowseFm1::hasRows() const
{
    return browseRecordset_ && browseRecordset_->recordCount() > 0;
}

void clientBrowseFm1::showPosition()
{
    Text2->setText(browseRecordset_ ? TextRules::positionText(browseRecordset_->absolutePosition(),
                                                              browseRecordset_->recordCount())
                                    : QStringLiteral("0/0"));
}

// The current target in the boxes and in both charts: as bars after a move to another
// target, in the styles the user chose when the list was read again or searched.
void clientBrowseFm1::showCurrentTarget(ChartStyle style)
{
    showPosition();
    clearRecord();
    displayRecord();
    const bool keepStyles = style == ChartStyle::AsChosen;
    if (keepStyles && MSChart1->chartType() == ChartControl::Line2d)
        chart11();
    else
        chart1();
    if (keepStyles && MSChart2->chartType() == ChartControl::Line2d)
        chart22();
    else
        chart2();
}

// ---- loading ---------------------------------------------------------------------------

void clientBrowseFm1::Form_Load()
{
    planNo_ = state_.currentPlanNo();
    openList(TargetQueries::allOfPlan(planNo_));
}

// Coming back from another window: the list is read again, so a response saved there shows
// in the boxes and charts, and a target deleted there is no longer listed. The plan and the
// search stay as they were.
void clientBrowseFm1::Form_Activate()
{
    rereadRows();
}

void clientBrowseFm1::openList(const BoundSql& statement)
{
    listStatement_ = statement;
    try {
        browseRecordset_ = state_.openRecordset(statement);
    } catch (const DbError& error) {
        browseRecordset_.reset();
        reportError(error.description());
    }
    DataGrid1->bind(browseRecordset_);
    showCurrentTarget(ChartStyle::AsChosen);
}

// The same list read again (with the search in force, if any), staying on the same target
// while it is still there: after another window added or deleted targets, or on coming back.
void clientBrowseFm1::rereadRows()
{
    if (listStatement_.text.isEmpty())
        return;
    try {
        std::optional<Recordset::Bookmark> current;
        FieldTests filter;
        if (browseRecordset_) {
            filter = browseRecordset_->filter();
            if (browseRecordset_->hasCurrentRow())
                current = browseRecordset_->bookmark();
        }
        auto reread = state_.openRecordset(listStatement_);
        if (!filter.isEmpty())
            reread->setFilter(filter);
        if (current) {
            try {
                reread->setBookmark(*current);
            } catch (const DbError&) {
                // that target is gone; the list starts at its first row
            }
        }
        browseRecordset_ = reread;
    } catch (const DbError& error) {
        browseRecordset_.reset();
        reportError(error.description());
    }
    DataGrid1->bind(browseRecordset_);
    showCurrentTarget(ChartStyle::AsChosen);
}

// ---- the current target ----------------------------------------------------------------

void clientBrowseFm1::clearRecord()
{
    for (int i = 0; i < 22; ++i)
        Text1[i]->setText(TargetFields::isCounter(i) ? QStringLiteral("0") : QString());
}

void clientBrowseFm1::displayRecord()
{
    if (!hasRows() || !browseRecordset_->hasCurrentRow())
        return;
    const QList<TargetFields::Shown>& shown = TargetFields::boxes();
    for (int i = 0; i < 22; ++i) {
        try {
            Text1[i]->setText(TextRules::trimmedText(browseRecordset_->value(shown[i].field)));
        } catch (const DbError&) {
            Text1[i]->clear();
        }
    }
}

void clientBrowseFm1::chart1()
{
    TargetChart::draw(*MSChart1, ChartControl::Bar2d, TargetFields::channelRows(), browseRecordset_.get());
    Option1->setChecked(true);
}

void clientBrowseFm1::chart11()
{
    TargetChart::draw(*MSChart1, ChartControl::Line2d, TargetFields::channelRows(), browseRecordset_.get());
    Option3->setChecked(true);
}

void clientBrowseFm1::chart2()
{
    TargetChart::draw(*MSChart2, ChartControl::Bar2d, TargetFields::productRows(state_.productNames()), browseRecordset_.get());
    Option2->setChecked(true);
}

void clientBrowseFm1::chart22()
{
    TargetChart::draw(*MSChart2, ChartControl::Line2d, TargetFields::productRows(state_.productNames()), browseRecordset_.get());
    Option4->setChecked(true);
}

// ---- handlers --------------------------------------------------------------------------

void clientBrowseFm1::Command1_Click(int index)
{
    if (!hasRows())
        return;
    try {
        Navigation::move(*browseRecordset_, index);
        showCurrentTarget(ChartStyle::Bars);
    } catch (const DbError& error) {
        reportError(error.description());
    }
}

// The grid's current row is the list's current row already; a click shows that target.
void clientBrowseFm1::DataGrid1_Click()
{
    if (!hasRows())
        return;
    try {
        const int row = std::max(DataGrid1->currentRowNumber(), 0);
        browseRecordset_->setAbsolutePosition(row + 1);
        showCurrentTarget(ChartStyle::Bars);
    } catch (const DbError&) {
        // a click that cannot be followed leaves the window as it was
    }
}

void clientBrowseFm1::Command2_Click()
{
    if (!hasRows())
        return;
    Recordset& targets = *browseRecordset_;
    try {
        const QString nameField = targets.field(targets.fieldIndex(QStringLiteral("营销对象"))).name;
        const QString answer = Dialogs::instance()
                                   .input(QStringLiteral("请输入") + nameField + QStringLiteral("："),
                                          QStringLiteral("查询输入"), QString())
                                   .value_or(QString());
        if (answer.isEmpty())
            return;
        targets.setFilter(TargetQueries::nameContains(nameField, answer, planNo_));
        DataGrid1->bind(browseRecordset_);
        const bool found = targets.recordCount() > 0;
        Dialogs::instance().message(found ? QStringLiteral("已查到此客户！") : QStringLiteral("无此客户！"),
                                    QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::None);
        showCurrentTarget(ChartStyle::AsChosen);
    } catch (const DbError&) {
        // a search that cannot run leaves the list as it was
    }
}

void clientBrowseFm1::Command4_Click()
{
    planNo_ = state_.currentPlanNo();
    openList(TargetQueries::respondingOfPlan(planNo_));
}

void clientBrowseFm1::Command5_Click()
{
    planNo_ = state_.currentPlanNo();
    openList(TargetQueries::allOfPlan(planNo_));
}

void clientBrowseFm1::Command6_Click()
{
    if (hasRows())
        emit exportRequested(planNo_);
}

void clientBrowseFm1::Command7_Click()
{
    close();
}
