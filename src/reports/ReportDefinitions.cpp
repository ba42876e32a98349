#include "ReportDefinitions.h"

#include "campaign/CounterFields.h"
#include "core/SqlText.h"

namespace {

// A column after the first: its separator and text offsets move with the box to its left.
ReportColumn column(int number, const QString& heading, const QString& field, double separator, double text)
{
    return ReportColumn{heading, field, separator, text, number - 1};
}

// The first column: separator just left of the table edge, text on it.
ReportColumn firstColumn(const QString& heading, const QString& field)
{
    return ReportColumn{heading, field, -1, 0, 0};
}

// "时间方框", "电话数方框" …: each heading followed by 方框.
QStringList boxNamesOf(const QList<ReportColumn>& columns)
{
    QStringList names;
    for (const ReportColumn& c : columns)
        names += c.heading + QStringLiteral("方框");
    return names;
}

} // namespace

namespace ReportDefinitions {

ReportDefinition feedbackStatistics()
{
    ReportDefinition d;
    d.windowName = QStringLiteral("printFm10");
    d.caption = QStringLiteral("打印反馈记录");
    d.queryStart = QStringLiteral("Select * From \"feedbackTable\" Where 序号 = ");
    d.queryTakesPlanNo = true;
    d.title = QStringLiteral("反 馈 统 计 表");
    d.titleY = 10;
    d.tableXAfterCharWidth = 10;
    d.infoX = 15;
    d.tableGap = 5;
    d.infoLines = InfoLines::PlanNoAndTitle;
    d.hasSubjectFontItem = true;
    d.columns = {
        firstColumn(QStringLiteral("时间"), QStringLiteral("时间")),
        column(2, QStringLiteral("电话数"), CounterFields::channels()[0], 20, 22),
        column(3, QStringLiteral("传真数"), CounterFields::channels()[1], 34, 36),
        column(4, QStringLiteral("Email数"), CounterFields::channels()[2], 48, 50),
        column(5, QStringLiteral("信函数"), CounterFields::channels()[3], 65, 67),
        column(6, QStringLiteral("面访人数"), CounterFields::channels()[4], 79, 81),
        column(7, QStringLiteral("参观人数"), CounterFields::channels()[5], 97, 99),
        column(8, QStringLiteral("反馈合计1"), CounterFields::DayTotal, 115, 117),
        column(9, QStringLiteral("反馈合计2"), CounterFields::RunningTotal, 134, 136),
        column(10, QStringLiteral("产品1计数"), CounterFields::products()[0], 153, 155),
        column(11, QStringLiteral("产品2计数"), CounterFields::products()[1], 172, 174),
        column(12, QStringLiteral("产品3计数"), CounterFields::products()[2], 191, 193),
        column(13, QStringLiteral("产品4计数"), CounterFields::products()[3], 210, 212),
        column(14, QStringLiteral("产品5计数"), CounterFields::products()[4], 229, 231),
    };
    d.boxNames = boxNamesOf(d.columns);
    d.rightShiftBox = 14;
    return d;
}

ReportDefinition respondingClients()
{
    ReportDefinition d;
    d.windowName = QStringLiteral("printFm11");
    d.caption = QStringLiteral("打印客户反馈记录");
    d.queryStart = QStringLiteral(
        "Select 序号, 营销对象, 电话1, 传真, \"Email\", 联系人1, 地址, 邮政编码 From \"clientTableInfo\" Where 序号 = ");
    d.queryEnd = QStringLiteral(" And 反馈合计 >= 1 Order By 反馈合计 desc");
    d.queryTakesPlanNo = true;
    d.title = QStringLiteral("反 馈 客 户 通 信 录");
    d.titleY = 10;
    d.tableXAfterCharWidth = 15;
    d.infoX = 20;
    d.tableGap = 5;
    d.infoLines = InfoLines::PlanNo;
    d.columns = {
        firstColumn(QStringLiteral("客户名称"), QStringLiteral("营销对象")),
        column(2, QStringLiteral("电话1"), QStringLiteral("电话1"), 62, 64),
        column(3, QStringLiteral("传真"), QStringLiteral("传真"), 86, 88),
        column(4, QStringLiteral("Email"), QStringLiteral("Email"), 110, 112),
        column(5, QStringLiteral("联系人"), QStringLiteral("联系人1"), 152, 154),
        column(6, QStringLiteral("地址"), QStringLiteral("地址"), 170, 172),
        column(7, QStringLiteral("邮编"), QStringLiteral("邮政编码"), 232, 234),
    };
    d.boxNames = boxNamesOf(d.columns);
    d.rightShiftBox = 6;
    return d;
}

ReportDefinition campaignSummary()
{
    ReportDefinition d;
    d.windowName = QStringLiteral("printFm12");
    d.caption = QStringLiteral("打印反馈统计总表");
    d.queryStart = QStringLiteral("Select * From \"marketingComment\"");
    d.title = QStringLiteral("营 销 活 动 反 馈 统 计 总 表");
    d.titleY = 20;
    d.tableXAfterCharWidth = 15;
    d.infoX = 15;
    d.tableGap = 10;
    d.infoLines = InfoLines::None;
    d.columns = {
        firstColumn(QStringLiteral("序号"), QStringLiteral("序号")),
        column(2, QStringLiteral("题目"), QStringLiteral("题目"), 20, 22),
        column(3, QStringLiteral("规模（数量）"), QStringLiteral("规模（数量）"), 98, 100),
        column(4, QStringLiteral("预计反馈数"), QStringLiteral("预计反馈数"), 122, 124),
        column(5, QStringLiteral("时间周期"), QStringLiteral("时间周期"), 144, 146),
        column(6, QStringLiteral("反馈合计"), QStringLiteral("反馈合计"), 190, 192),
        column(7, QStringLiteral("反馈率"), QStringLiteral("反馈率"), 210, 212),
        column(8, QStringLiteral("费用"), QStringLiteral("费用"), 224, 226),
    };
    d.boxNames = boxNamesOf(d.columns);
    d.rightShiftBox = 7;
    return d;
}

ReportDefinition campaignEffects(const QString& table)
{
    ReportDefinition d;
    d.windowName = QStringLiteral("printFm13");
    d.caption = QStringLiteral("打印营销效果分析");
    d.queryStart = QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(SqlText::quoteName(table));
    d.title = QStringLiteral("营 销 效 果 分 析");
    d.titleY = 20;
    d.tableXAfterCharWidth = 15;
    d.infoX = 15;
    d.tableGap = 10;
    d.infoLines = InfoLines::None;
    d.columns = {
        firstColumn(QStringLiteral("序号"), QStringLiteral("序号")),
        column(2, QStringLiteral("题目"), QStringLiteral("题目"), 18, 20),
        column(3, QStringLiteral("规模（数量）"), QStringLiteral("规模（数量）"), 58, 60),
        column(4, QStringLiteral("预计反馈数"), QStringLiteral("预计反馈数"), 80, 82),
        column(5, QStringLiteral("反馈合计"), QStringLiteral("反馈合计"), 100, 102),
        column(6, QStringLiteral("反馈率"), QStringLiteral("反馈率"), 118, 120),
        column(7, QStringLiteral("达成率"), QStringLiteral("达成率"), 132, 134),
        column(8, QStringLiteral("费用"), QStringLiteral("费用"), 146, 148),
        column(9, QStringLiteral("每反馈成本"), QStringLiteral("每反馈成本"), 168, 170),
        column(10, QStringLiteral("天数"), QStringLiteral("天数"), 188, 190),
        column(11, QStringLiteral("半数反馈日"), QStringLiteral("半数反馈日"), 198, 200),
        column(12, QStringLiteral("预测反馈总数"), QStringLiteral("预测反馈总数"), 216, 218),
    };
    d.boxNames = boxNamesOf(d.columns);
    d.rightShiftBox = 11;
    return d;
}

ReportDefinition withProductNames(ReportDefinition report, const QStringList& productNames)
{
    for (ReportColumn& column : report.columns) {
        const int product = CounterFields::products().indexOf(column.field);
        const QString name = product >= 0 ? productNames.value(product).trimmed() : QString();
        if (!name.isEmpty())
            column.heading = name + QStringLiteral("计数");
    }
    return report;
}

} // namespace ReportDefinitions
