#include "DemoCampaign.h"

#include "core/BoundSql.h"
#include "core/Connection.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace DemoCampaign {

namespace {

void addDays(Connection& db)
{
    const int phones[10] = {6, 9, 4, 3, 7, 5, 2, 8, 4, 3};
    const int faxes[10] = {1, 2, 0, 1, 1, 0, 0, 2, 1, 0};
    const int mails[10] = {3, 4, 2, 1, 3, 2, 1, 4, 2, 1};
    int runningTotal = 0;
    for (int d = 0; d < 10; ++d) {
        const int letters = d % 3 == 1, visits = d % 2, siteVisits = d % 4 == 2;
        const int dailyTotal = phones[d] + faxes[d] + mails[d] + letters + visits + siteVisits;
        runningTotal += dailyTotal;
        db.execute(QStringLiteral("INSERT INTO feedbackTable VALUES ('2026-04', '%1', '新品发布会邀请', %2, %3, %4, %5, %6, %7, "
                                  "%8, %9, %10, %11, %12, %13, %14, '')")
                       .arg(QDate(2026, 12, 1).addDays(d).toString(Qt::ISODate))
                       .arg(phones[d]).arg(faxes[d]).arg(mails[d]).arg(letters).arg(visits).arg(siteVisits)
                       .arg(dailyTotal / 2).arg(dailyTotal / 4).arg(dailyTotal / 6).arg(d % 3).arg((d + 1) % 2)
                       .arg(dailyTotal).arg(runningTotal));
    }
}

// The daily rows of a campaign that is over: its responses by day, most by telephone, the rest by
// e-mail, the products they asked about spread over the first three.
void addFinishedDays(Connection& db, const QString& planNo, const QString& title, const QDate& first,
                     const QList<int>& counts)
{
    int runningTotal = 0;
    for (int d = 0; d < counts.size(); ++d) {
        const int phones = (counts[d] * 3 + 4) / 5;
        const int mails = counts[d] - phones;
        runningTotal += counts[d];
        const QList<QVariant> values{planNo, first.addDays(d), title, phones, 0, mails, 0, 0, 0,
                                     counts[d] / 2, counts[d] / 3, counts[d] - counts[d] / 2 - counts[d] / 3, 0, 0,
                                     counts[d], runningTotal, QString()};
        BoundSql insert;
        QStringList placeholders;
        for (const QVariant& value : values)
            placeholders << insert.bind(value);
        insert.text = QStringLiteral("INSERT INTO \"feedbackTable\" VALUES (%1)").arg(placeholders.join(QStringLiteral(", ")));
        db.execute(insert);
    }
}

} // namespace

void fill(Connection& db)
{
    db.execute(QStringLiteral("UPDATE productDF SET 产品1名称 = '高速彩色激光多功能一体机（商用型）', 产品2名称 = '复印机', 产品3名称 = '扫描仪', "
                              "产品4名称 = '传真机', 产品5名称 = '碎纸机'"));
    db.execute(QStringLiteral("INSERT INTO marketingComment VALUES "
                              "('2026-01', '春季办公设备直邮', '300', '40', '一个月', '12000', '37', '12.3%'), "
                              "('2026-02', '华北区电话营销', '500', '60', '两周', '8000', '52', '10.4%'), "
                              "('2026-03', '年终客户回访', '200', '30', '三周', '5000', '18', '9%'), "
                              "('2026-04', '新品发布会邀请', '260', '45', '十天', '6000', '71', '27.3%')"));
    db.execute(QStringLiteral(
        "INSERT INTO planTable VALUES ('2026-04', '新品发布会邀请', '十天', '华北', '电话邀请', '近两年购买过打印机的企业客户', "
        "'260', '45', '6000', '邀请客户参加新款激光打印机发布会，\n并预约上门演示。')"));
    addFinishedDays(db, QStringLiteral("2026-01"), QStringLiteral("春季办公设备直邮"), QDate(2026, 3, 2),
                    {2, 5, 7, 6, 4, 3, 3, 2, 1, 1, 1, 0, 1, 1});
    addFinishedDays(db, QStringLiteral("2026-02"), QStringLiteral("华北区电话营销"), QDate(2026, 5, 11),
                    {9, 12, 10, 7, 5, 3, 2, 1, 1, 0, 1, 1});
    addFinishedDays(db, QStringLiteral("2026-03"), QStringLiteral("年终客户回访"), QDate(2026, 8, 3),
                    {2, 4, 3, 3, 2, 1, 1, 1, 0, 1});
    addDays(db);
    db.execute(QStringLiteral(
        "INSERT INTO clientTableInfo (序号, 营销对象, 电话1, 传真, Email, 联系人1, 地址, 邮政编码, 电话数, 产品1计数, 反馈合计) VALUES "
        "('2026-04', '北京华信科技有限公司', '010-62345678', '010-62345679', 'sales@huaxin.com.cn', '王经理', "
        "'北京市海淀区中关村大街1号', '100080', 2, 1, 2), "
        "('2026-04', '天津宏达贸易公司', '022-23456789', '', 'hongda@163.com', '李女士', '天津市和平区南京路88号', '300041', 1, 0, 1), "
        "('2026-04', '上海浦江文具厂', '021-55667788', '021-55667789', '', '陈科长', '上海市浦东新区张江路500号', '201203', 0, 0, 0), "
        "('2026-04', '未知客户', '', '', '', '', '', '', 3, 0, 3)"));
}

} // namespace DemoCampaign
