#include "FeedbackChartPanel.h"

#include "BarCaptionStrip.h"
#include "controls/ElidingLabel.h"
#include "ChartCells.h"
#include "ChartWidth.h"
#include "FeedbackDays.h"
#include "SwatchLegend.h"
#include "WideChartHolder.h"
#include "campaign/ProgramState.h"
#include "controls/NamedWidgets.h"
#include "controls/ChartControl.h"
#include "core/Recordset.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

const char* const ChannelCaptions[8] = {"电话", "传真", "Email", "信函", "面访", "参观", "合计1", "合计2"};

// MSChart1's series, in column order, with the colours its legend shows.
const QList<SwatchLegend::Entry>& cumulativeLegend()
{
    static const QList<SwatchLegend::Entry> entries = {
        {QStringLiteral("电话"), QColor(255, 0, 0)},
        {QStringLiteral("传真"), QColor(0, 255, 0)},
        {QStringLiteral("Email"), QColor(0, 0, 192)},
        {QStringLiteral("信函"), QColor(255, 255, 0)},
        {QStringLiteral("面访"), QColor(255, 128, 255)},
        {QStringLiteral("参观"), QColor(0, 255, 255)},
        {QStringLiteral("合计（当日）"), QColor(0, 0, 0)},
        {QStringLiteral("合计（至今日）"), QColor(128, 0, 0)},
    };
    return entries;
}

QLabel* titleLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.15);
    label->setFont(font);
    return label;
}

bool hasRows(const std::shared_ptr<Recordset>& recordset)
{
    return recordset && recordset->recordCount() > 0;
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

// The frame each option shows (Frame1 … Frame4 by index 0 … 3): 当日, 累计, 趋势, 累计产品.
constexpr int FrameOfOption[4] = {2, 0, 3, 1};

} // namespace

using NamedWidgets::panel;

const QColor FeedbackChartPanel::trendColour = QColor(78, 121, 167);

FeedbackChartPanel::FeedbackChartPanel(const ProgramState& state, QWidget* parent)
    : QWidget(parent), state_(state)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildOptionsFrame());

    // The four panels share one place; only the visible one takes it.
    auto* stack = new QGridLayout;
    Frame[2] = buildCurrentDayFrame();
    Frame[0] = buildCumulativeFrame();
    Frame[1] = buildProductFrame();
    Frame[3] = buildTrendFrame();
    for (int i = 0; i < 4; ++i)
        stack->addWidget(Frame[i], 0, 0);
    layout->addLayout(stack, 1);

    showOnlyFrame(2);
}

QFrame* FeedbackChartPanel::buildOptionsFrame()
{
    Frame[4] = panel(QStringLiteral("Frame5"), this);
    auto* row = new QHBoxLayout(Frame[4]);
    row->setContentsMargins(8, 2, 8, 2);
    const QString captions[4] = {QStringLiteral("当日反馈图"), QStringLiteral("累计反馈图"),
                                 QStringLiteral("每日反馈趋势图"), QStringLiteral("累计产品反馈图")};
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 4; ++i) {
        Option[i] = new QRadioButton(captions[i], Frame[4]);
        Option[i]->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        group->addButton(Option[i]);
        row->addWidget(Option[i]);
    }
    connect(Option[0], &QRadioButton::clicked, this, &FeedbackChartPanel::Option1_Click);
    connect(Option[1], &QRadioButton::clicked, this, &FeedbackChartPanel::Option2_Click);
    connect(Option[2], &QRadioButton::clicked, this, &FeedbackChartPanel::Option3_Click);
    connect(Option[3], &QRadioButton::clicked, this, &FeedbackChartPanel::Option4_Click);
    row->addStretch(1);
    Command9 = new QPushButton(QStringLiteral("显示统计图"), Frame[4]);
    Command9->setObjectName(QStringLiteral("Command9"));
    row->addWidget(Command9);
    connect(Command9, &QPushButton::clicked, this, &FeedbackChartPanel::Command9_Click);
    return Frame[4];
}

QFrame* FeedbackChartPanel::titledFrame(int frameIndex, const QString& titleName, const QString& title)
{
    QFrame* frame = panel(QStringLiteral("Frame%1").arg(frameIndex + 1), this);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(titleLabel(titleName, title, frame));
    return frame;
}

ChartControl* FeedbackChartPanel::addChart(QFrame* frame, int chartIndex)
{
    MSChart[chartIndex] = new ChartControl(frame);
    MSChart[chartIndex]->setObjectName(QStringLiteral("MSChart%1").arg(chartIndex + 1));
    return MSChart[chartIndex];
}

QFrame* FeedbackChartPanel::buildCurrentDayFrame()
{
    QFrame* frame = titledFrame(2, QStringLiteral("Label5"), QStringLiteral("当日反馈图"));
    auto* charts = new QHBoxLayout;

    // The channel bars are named once, by the captions under them; the product bars by
    // R1 … R5, as the key beside them.
    auto* channels = new QVBoxLayout;
    channels->setSpacing(0);
    ChartControl* channelChart = addChart(frame, 2);
    channelChart->setRowTextsVisible(false);
    channels->addWidget(channelChart, 1);
    QStringList captions;
    for (const char* caption : ChannelCaptions)
        captions.append(QString::fromUtf8(caption));
    channelCaptions_ = new BarCaptionStrip(channelChart, QStringLiteral("Label1"), captions, frame);
    for (int i = 0; i < 8; ++i)
        Label1[i] = channelCaptions_->label(i);
    channels->addWidget(channelCaptions_);
    charts->addLayout(channels, 3);

    auto* products = new QVBoxLayout;
    ChartControl* productChart = addChart(frame, 3);
    productChart->setRowNumberPrefix(QStringLiteral("R"));
    products->addWidget(productChart, 1);
    auto* legend = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        Label2[i] = new ElidingLabel(QStringLiteral("R%1:").arg(i + 1), frame);   // long names shortened
        Label2[i]->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        legend->addWidget(Label2[i], i / 3, i % 3);
    }
    products->addLayout(legend);
    charts->addLayout(products, 2);

    static_cast<QVBoxLayout*>(frame->layout())->addLayout(charts, 1);
    return frame;
}

QFrame* FeedbackChartPanel::buildCumulativeFrame()
{
    QFrame* frame = titledFrame(0, QStringLiteral("Label7"), QStringLiteral("累计反馈图"));
    auto* layout = static_cast<QVBoxLayout*>(frame->layout());
    ChartControl* chart = addChart(frame, 0);
    chart->setWidthTwips(cumulativeChartWidth);
    const QList<SwatchLegend::Entry>& legend = cumulativeLegend();
    for (int column = 1; column <= legend.size(); ++column)
        chart->setSeriesColor(column, legend[column - 1].colour);
    cumulativeHolder_ = new WideChartHolder(chart, frame);
    layout->addWidget(cumulativeHolder_, 1);
    layout->addLayout(SwatchLegend::build(frame, QStringLiteral("Label3"), legend, Label3));
    return frame;
}

QFrame* FeedbackChartPanel::buildProductFrame()
{
    QFrame* frame = titledFrame(1, QStringLiteral("Label8"), QStringLiteral("累计产品反馈图"));
    static_cast<QVBoxLayout*>(frame->layout())->addWidget(addChart(frame, 1), 1);
    return frame;
}

QFrame* FeedbackChartPanel::buildTrendFrame()
{
    QFrame* frame = titledFrame(3, QStringLiteral("Label6"), QStringLiteral("每日反馈趋势图"));
    auto* layout = static_cast<QVBoxLayout*>(frame->layout());
    ChartControl* chart = addChart(frame, 4);
    chart->setWidthTwips(trendChartWidth);
    // The days are one kind of value: one colour; the bars' one label names the last day.
    chart->setUniformColor(trendColour);
    chart->setRowLabelsAtGroupEnd(true);
    trendHolder_ = new WideChartHolder(chart, frame);
    layout->addWidget(trendHolder_, 1);

    Command6[0] = new QPushButton(QStringLiteral("折线图"), frame);
    Command6[0]->setObjectName(QStringLiteral("Command6(0)"));
    Command6[1] = new QPushButton(QStringLiteral("条形图"), frame);
    Command6[1]->setObjectName(QStringLiteral("Command6(1)"));
    connect(Command6[0], &QPushButton::clicked, this, [this] { Command6_Click(0); });
    connect(Command6[1], &QPushButton::clicked, this, [this] { Command6_Click(1); });
    auto* switchRow = new QHBoxLayout;
    switchRow->addStretch(1);
    switchRow->addWidget(Command6[0]);
    switchRow->addWidget(Command6[1]);
    layout->addLayout(switchRow);
    return frame;
}

void FeedbackChartPanel::showOnlyFrame(int frameIndex)
{
    for (int i = 0; i < 4; ++i)
        Frame[i]->setVisible(i == frameIndex);
}

// The option of the panel that shows is the one marked, also after a click on an option
// that drew nothing (the plan has no days).
void FeedbackChartPanel::markShownPanel()
{
    for (int option = 0; option < 4; ++option) {
        if (!Frame[FrameOfOption[option]]->isHidden())
            Option[option]->setChecked(true);
    }
}

// A plan without days has nothing to chart: the previous plan's charts must not stay.
// (The rows are dropped before the next plan's are opened; only the opened rows count.)
void FeedbackChartPanel::showRows(std::shared_ptr<Recordset> plans, std::shared_ptr<Recordset> days)
{
    plans_ = std::move(plans);
    days_ = std::move(days);
    if (days_ && days_->recordCount() == 0)
        clearAllCharts();
}

void FeedbackChartPanel::clearAllCharts()
{
    for (ChartControl* chart : MSChart)
        chart->clear();
}

void FeedbackChartPanel::selectCurrentDayOption()
{
    Option[0]->setChecked(true);
}

void FeedbackChartPanel::setProductLegend(const QStringList& productNames)
{
    for (int i = 0; i < 5; ++i)
        Label2[i]->setText(QStringLiteral("R%1:").arg(i + 1) + productNames.value(i));
}

QList<FeedbackDay> FeedbackChartPanel::daysUpToCurrent() const
{
    const auto days = days_;
    return days ? FeedbackDays::upToCurrentDay(*days) : QList<FeedbackDay>();
}

void FeedbackChartPanel::applyWidthRule(ChartControl& chart, int dayCount)
{
    chart.setWidthTwips(ChartWidth::next(chart.widthTwips(), dayCount));
}

void FeedbackChartPanel::chart1()
{
    showOnlyFrame(0);
    ChartControl& chart = *MSChart[0];
    chart.setChartType(ChartControl::Bar2d);
    const QList<FeedbackDay> days = daysUpToCurrent();
    if (days.isEmpty()) {
        chart.clear();
        return;
    }
    const int columns = int(FeedbackDays::channelFields().size());
    ChartCells::setCounts(chart, int(days.size()), columns);
    applyWidthRule(chart, int(days.size()));
    for (int i = 1; i <= days.size(); ++i) {
        ChartCells::setRowLabel(chart, i, QString::number(i));
        for (int column = 1; column <= columns; ++column)
            ChartCells::setCell(chart, i, column, days[i - 1].channels.value(column - 1));
    }
    cumulativeHolder_->showLatestRows();
}

void FeedbackChartPanel::chart2()
{
    showOnlyFrame(1);
    ChartControl& chart = *MSChart[1];
    chart.setChartType(ChartControl::Bar2d);
    const QList<FeedbackDay> days = daysUpToCurrent();
    if (days.isEmpty()) {
        chart.clear();
        return;
    }
    ChartCells::setCounts(chart, 5, 1);
    const QList<double> sums = FeedbackDays::productSums(days);
    const QStringList names = state_.productNames();
    for (int p = 1; p <= 5; ++p) {
        ChartCells::setRowLabel(chart, p, names.value(p - 1));
        ChartCells::setCell(chart, p, 1, numberText(sums[p - 1]));
    }
}

// A cell that cannot be read (an empty counter) shows 0 rather than what the previous
// plan's day had there; without a current day both charts are blank.
void FeedbackChartPanel::chart3()
{
    showOnlyFrame(2);
    const auto days = days_;
    ChartControl& channels = *MSChart[2];
    ChartControl& products = *MSChart[3];
    channels.setChartType(ChartControl::Bar2d);
    products.setChartType(ChartControl::Bar2d);
    if (!days || !days->hasCurrentRow()) {
        channels.clear();
        products.clear();
        return;
    }
    const FeedbackDay day = FeedbackDays::currentDay(*days);

    ChartCells::setCounts(channels, 8, 1);
    for (int r = 1; r <= 8; ++r)
        ChartCells::setCell(channels, r, 1, day.channels.value(r - 1));

    ChartCells::setCounts(products, 5, 1);
    for (int p = 1; p <= 5; ++p)
        ChartCells::setCell(products, p, 1, day.products.value(p - 1));
}

// The chart type is the caller's: bars from "每日反馈趋势图" and "条形图".
void FeedbackChartPanel::chart4()
{
    showOnlyFrame(3);
    ChartControl& chart = *MSChart[4];
    const QList<FeedbackDay> days = daysUpToCurrent();
    if (days.isEmpty()) {
        chart.clear();
        return;
    }
    ChartCells::setCounts(chart, 1, int(days.size()));
    applyWidthRule(chart, int(days.size()));
    for (int i = 1; i <= days.size(); ++i)
        ChartCells::setCell(chart, 1, i, days[i - 1].dailyTotal());
    ChartCells::setRowLabel(chart, 1, QStringLiteral("至") + days.last().date);
    trendHolder_->showLatestRows();
}

// The chart type is the caller's: lines from "折线图".
void FeedbackChartPanel::chart5()
{
    showOnlyFrame(3);
    ChartControl& chart = *MSChart[4];
    const QList<FeedbackDay> days = daysUpToCurrent();
    if (days.isEmpty()) {
        chart.clear();
        return;
    }
    ChartCells::setCounts(chart, int(days.size()), 1);
    applyWidthRule(chart, int(days.size()));
    for (int i = 1; i <= days.size(); ++i) {
        ChartCells::setRowLabel(chart, i, QString::number(i));
        ChartCells::setCell(chart, i, 1, days[i - 1].dailyTotal());
    }
    trendHolder_->showLatestRows();
}

void FeedbackChartPanel::Option1_Click()
{
    if (hasRows(days_))
        chart3();
    markShownPanel();
}

void FeedbackChartPanel::Option2_Click()
{
    if (hasRows(days_)) {
        Frame[1]->hide();
        chart1();
    }
    markShownPanel();
}

void FeedbackChartPanel::Option3_Click()
{
    if (hasRows(days_)) {
        MSChart[4]->setChartType(ChartControl::Bar2d);
        chart4();
    }
    markShownPanel();
}

void FeedbackChartPanel::Option4_Click()
{
    if (hasRows(days_))
        chart2();
    markShownPanel();
}

// No guard: with no day current the trend shows an empty chart.
void FeedbackChartPanel::Command6_Click(int index)
{
    if (index == 0) {
        MSChart[4]->setChartType(ChartControl::Line2d);
        chart5();
    } else {
        MSChart[4]->setChartType(ChartControl::Bar2d);
        chart4();
    }
    markShownPanel();
}

void FeedbackChartPanel::Command9_Click()
{
    if (hasRows(plans_))
        emit chartWindowRequested();
}
