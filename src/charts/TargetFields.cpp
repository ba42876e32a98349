#include "TargetFields.h"

#include "campaign/CounterFields.h"

namespace TargetFields {

const QList<Shown>& boxes()
{
    static const QList<Shown> shown = {
        {QStringLiteral("序号"), QStringLiteral("序号")},
        {QStringLiteral("营销对象"), QStringLiteral("营销对象")},
        {QStringLiteral("地址"), QStringLiteral("地址")},
        {QStringLiteral("电话1"), QStringLiteral("电话1")},
        {QStringLiteral("电话2"), QStringLiteral("电话2")},
        {QStringLiteral("传真"), QStringLiteral("传真")},
        {QStringLiteral("联系人1"), QStringLiteral("联系人1")},
        {QStringLiteral("联系人2"), QStringLiteral("联系人2")},
        {QStringLiteral("邮政编码"), QStringLiteral("邮政编码")},
        {QStringLiteral("电话数"), QStringLiteral("电话数")},
        {QStringLiteral("传真数"), QStringLiteral("传真数")},
        {QStringLiteral("Email数"), QStringLiteral("Email数")},
        {QStringLiteral("信函数"), QStringLiteral("信函数")},
        {QStringLiteral("面访人数"), QStringLiteral("面访数")},
        {QStringLiteral("参观人数"), QStringLiteral("参观数")},
        {QStringLiteral("反馈合计"), QStringLiteral("反馈合计")},
        {QStringLiteral("产品1计数"), QStringLiteral("产品1数")},
        {QStringLiteral("产品2计数"), QStringLiteral("产品2数")},
        {QStringLiteral("产品3计数"), QStringLiteral("产品3数")},
        {QStringLiteral("产品4计数"), QStringLiteral("产品4数")},
        {QStringLiteral("产品5计数"), QStringLiteral("产品5数")},
        {QStringLiteral("Email"), QStringLiteral("Email")},
    };
    return shown;
}

bool isCounter(int boxIndex)
{
    return boxIndex >= 9 && boxIndex <= 20;
}

const QList<ChartRow>& channelRows()
{
    static const QStringList captions = {QStringLiteral("电话"), QStringLiteral("传真"), QStringLiteral("Email"),
                                         QStringLiteral("信函"), QStringLiteral("面访"), QStringLiteral("参观")};
    static const QList<ChartRow> rows = [] {
        QList<ChartRow> made;
        for (int i = 0; i < CounterFields::ChannelCount; ++i)
            made.append({CounterFields::channels()[i], captions[i]});
        return made;
    }();
    return rows;
}

const QList<ChartRow>& productRows()
{
    static const QList<ChartRow> rows = [] {
        QList<ChartRow> made;
        for (int p = 0; p < CounterFields::ProductCount; ++p)
            made.append({CounterFields::products()[p], QStringLiteral("产品%1").arg(p + 1)});
        return made;
    }();
    return rows;
}

QList<ChartRow> productRows(const QStringList& productNames)
{
    QList<ChartRow> rows = productRows();
    for (int p = 0; p < rows.size(); ++p)
        if (!productNames.value(p).trimmed().isEmpty())
            rows[p].label = productNames.value(p).trimmed();
    return rows;
}

} // namespace TargetFields
