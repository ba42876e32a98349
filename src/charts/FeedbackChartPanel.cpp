#include "FeedbackChartPanel.h"

#include "core/AppState.h"
#include "core/ChartControl.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const char* const ChannelCaptions[8] = {"电话", "传真", "Email", "信函", "面访", "参观", "合计1", "合计2"};
const char* const CurrentDayFields[8] = {"电话数", "传真数", "Email数", "信函数", "面访人数", "参观人数",
                                         "反馈合计（当日）", "反馈合计（至今日）"};

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

QFrame* panelFrame(const QString& name, QWidget* parent)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

} // namespace

FeedbackChartPanel::FeedbackChartPanel(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildOptionsFrame());

    // The four panels share one place; only the visible one takes it.
    auto* stack = new QGridLayout;
    Frame[2] = buildCurrentDayFrame();
    Frame[0] = buildSimpleFrame(0, 0, QStringLiteral("Label7"), QStringLiteral("累计反馈图"));
    Frame[1] = buildSimpleFrame(1, 1, QStringLiteral("Label8"), QStringLiteral("累计产品反馈图"));
    Frame[3] = buildSimpleFrame(3, 4, QStringLiteral("Label6"), QStringLiteral("每日反馈趋势图"));
    for (int i = 0; i < 4; ++i)
        stack->addWidget(Frame[i], 0, 0);
    layout->addLayout(stack, 1);

    Command6[0] = new QPushButton(QStringLiteral("折线图"), Frame[3]);
    Command6[0]->setObjectName(QStringLiteral("Command6(0)"));
    Command6[1] = new QPushButton(QStringLiteral("条形图"), Frame[3]);
    Command6[1]->setObjectName(QStringLiteral("Command6(1)"));
    auto* switchRow = new QHBoxLayout;
    switchRow->addStretch(1);
    switchRow->addWidget(Command6[0]);
    switchRow->addWidget(Command6[1]);
    static_cast<QVBoxLayout*>(Frame[3]->layout())->addLayout(switchRow);

    showOnlyFrame(2);
}

QFrame* FeedbackChartPanel::buildOptionsFrame()
{
    Frame[4] = panelFrame(QStringLiteral("Frame5"), this);
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
    row->addStretch(1);
    Command9 = new QPushButton(QStringLiteral("显示统计图"), Frame[4]);
    Command9->setObjectName(QStringLiteral("Command9"));
    row->addWidget(Command9);
    connect(Command9, &QPushButton::clicked, this, &FeedbackChartPanel::chartWindowRequested);
    return Frame[4];
}

QFrame* FeedbackChartPanel::buildCurrentDayFrame()
{
    QFrame* frame = panelFrame(QStringLiteral("Frame3"), this);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(titleLabel(QStringLiteral("Label5"), QStringLiteral("当日反馈图"), frame));
    auto* charts = new QHBoxLayout;

    auto* channels = new QVBoxLayout;
    MSChart[2] = new ChartControl(frame);
    MSChart[2]->setObjectName(QStringLiteral("MSChart3"));
    channels->addWidget(MSChart[2], 1);
    auto* captions = new QHBoxLayout;
    captions->setContentsMargins(40, 0, 12, 0);
    for (int i = 0; i < 8; ++i) {
        Label1[i] = new QLabel(QString::fromUtf8(ChannelCaptions[i]), frame);
        Label1[i]->setObjectName(QStringLiteral("Label1(%1)").arg(i));
        Label1[i]->setAlignment(Qt::AlignCenter);
        captions->addWidget(Label1[i], 1);
    }
    channels->addLayout(captions);
    charts->addLayout(channels, 3);

    auto* products = new QVBoxLayout;
    MSChart[3] = new ChartControl(frame);
    MSChart[3]->setObjectName(QStringLiteral("MSChart4"));
    products->addWidget(MSChart[3], 1);
    auto* legend = new QGridLayout;
    for (int i = 0; i < 5; ++i) {
        Label2[i] = new QLabel(QStringLiteral("R%1:").arg(i + 1), frame);
        Label2[i]->setObjectName(QStringLiteral("Label2(%1)").arg(i));
        legend->addWidget(Label2[i], i / 3, i % 3);
    }
    products->addLayout(legend);
    charts->addLayout(products, 2);

    layout->addLayout(charts, 1);
    return frame;
}

QFrame* FeedbackChartPanel::buildSimpleFrame(int frameIndex, int chartIndex, const QString& titleName,
                                             const QString& title)
{
    QFrame* frame = panelFrame(QStringLiteral("Frame%1").arg(frameIndex + 1), this);
    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(titleLabel(titleName, title, frame));
    MSChart[chartIndex] = new ChartControl(frame);
    MSChart[chartIndex]->setObjectName(QStringLiteral("MSChart%1").arg(chartIndex + 1));
    layout->addWidget(MSChart[chartIndex], 1);
    return frame;
}

void FeedbackChartPanel::showOnlyFrame(int frameIndex)
{
    for (int i = 0; i < 4; ++i)
        Frame[i]->setVisible(i == frameIndex);
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

// A failing cell (no current day, an empty counter) is skipped and the next one drawn.
void FeedbackChartPanel::chart3()
{
    showOnlyFrame(2);
    const auto days = AppState::instance().planFeedbackRecordset();
    ChartControl* channels = MSChart[2];
    ChartControl* products = MSChart[3];
    channels->setChartType(ChartControl::Bar2d);
    channels->setRowCount(8);
    channels->setColumnCount(1);
    products->setChartType(ChartControl::Bar2d);
    products->setRowCount(5);
    products->setColumnCount(1);
    // A cell that cannot be read (no current day, an empty counter) shows 0 rather than
    // what the previous plan's day had there.
    auto dayValue = [&days](const QString& field) {
        try {
            const QString text = days ? days->text(field) : QString();
            return text.isEmpty() ? QStringLiteral("0") : text;
        } catch (const DbError&) {
            return QStringLiteral("0");
        }
    };
    for (int r = 1; r <= 8; ++r) {
        try {
            channels->setRow(r);
            channels->setColumn(1);
            channels->setData(dayValue(QString::fromUtf8(CurrentDayFields[r - 1])));
        } catch (const DbError&) {
        }
    }
    for (int p = 1; p <= 5; ++p) {
        try {
            products->setRow(p);
            products->setColumn(1);
            products->setData(dayValue(QStringLiteral("产品%1计数").arg(p)));
        } catch (const DbError&) {
        }
    }
}
