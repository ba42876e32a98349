#include "CampaignEffects.h"

#include "CounterFields.h"
#include "core/Connection.h"
#include "core/FieldInfo.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/TextRules.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace CampaignEffects {

namespace {

QString q(const QString& name)
{
    return SqlText::quoteName(name);
}

const QStringList& storedFields()
{
    static const QStringList fields = {QStringLiteral("序号"),     QStringLiteral("题目"),     QStringLiteral("规模（数量）"),
                                       QStringLiteral("预计反馈数"), QStringLiteral("反馈合计"), QStringLiteral("反馈率"),
                                       QStringLiteral("费用")};
    return fields;
}

// The executed plans with their counters summed over their daily rows, in the order executed.
QString plansStatement()
{
    QStringList planFields;
    for (const QString& field : storedFields())
        planFields << QStringLiteral("m.") + q(field);
    QStringList sums;
    QStringList summed;
    for (int i = 0; i < CounterFields::all().size(); ++i) {
        sums << QStringLiteral("sum(%1) AS c%2").arg(q(CounterFields::all()[i])).arg(i);
        summed << QStringLiteral("coalesce(s.c%1, 0)").arg(i);
    }
    return QStringLiteral("SELECT %1, %2 FROM %5 AS m LEFT JOIN "
                          "(SELECT %3 AS plan, %4 FROM %6 GROUP BY %3) AS s ON s.plan = m.%3 ORDER BY m.rowid")
        .arg(planFields.join(QStringLiteral(", ")), summed.join(QStringLiteral(", ")), q(QStringLiteral("序号")),
             sums.join(QStringLiteral(", ")), q(QStringLiteral("marketingComment")), q(QStringLiteral("feedbackTable")));
}

// The executed plans' daily rows, each plan's in its stored order.
QString daysStatement()
{
    return QStringLiteral("SELECT %1, %2, %3 FROM %4 WHERE %1 IN (SELECT %1 FROM %5) ORDER BY rowid")
        .arg(q(QStringLiteral("序号")), q(QStringLiteral("时间")), q(CounterFields::RunningTotal),
             q(QStringLiteral("feedbackTable")), q(QStringLiteral("marketingComment")));
}

QString planKey(const QVariant& value)
{
    return TextRules::trimmedText(value).toCaseFolded();
}

QHash<QString, QList<ResponseCurve::DayRow>> readDays(Connection& db)
{
    const FieldInfo time = FieldInfo::fromDeclaration(QStringLiteral("时间"), QStringLiteral("DATE"));
    QHash<QString, QList<ResponseCurve::DayRow>> days;
    Statement query(db, daysStatement());
    while (query.step()) {
        const QVariant day = time.fromStored(query.valueAt(1));
        const QDate date = day.typeId() == QMetaType::QDateTime ? day.toDateTime().date() : day.toDate();
        days[planKey(query.valueAt(0))].append({date, query.int64At(2)});
    }
    return days;
}

QString trimmed(const QVariant& value)
{
    return TextRules::trimmedText(value);
}

void describeCost(PlanEffect& plan)
{
    if (plan.cost.isEmpty())
        return;
    const std::optional<double> cost = amountOf(plan.cost);
    if (!cost) {
        plan.problem = QStringLiteral("费用“%1”不是数字，无法计算每反馈成本。").arg(plan.cost);
        return;
    }
    const double total = amountOf(plan.total).value_or(0);
    if (total > 0)
        plan.costPerResponse = QString::number(*cost / total, 'f', 2);
}

void describeAchievement(PlanEffect& plan)
{
    if (plan.expected.isEmpty())
        return;
    const std::optional<double> expected = amountOf(plan.expected);
    if (!expected) {
        const QString problem = QStringLiteral("预计反馈数“%1”不是数字，无法计算达成率。").arg(plan.expected);
        plan.problem = plan.problem.isEmpty() ? problem : plan.problem + QLatin1Char('\n') + problem;
        return;
    }
    if (*expected > 0)
        plan.achievement = percentText(amountOf(plan.total).value_or(0), *expected);
}

PlanEffect planFrom(const Statement& row, const QHash<QString, QList<ResponseCurve::DayRow>>& days, const QDate& today)
{
    PlanEffect plan;
    plan.planNo = trimmed(row.valueAt(0));
    plan.title = trimmed(row.valueAt(1));
    plan.scale = trimmed(row.valueAt(2));
    plan.expected = trimmed(row.valueAt(3));
    plan.total = trimmed(row.valueAt(4));
    plan.rate = trimmed(row.valueAt(5));
    plan.cost = trimmed(row.valueAt(6));
    const int firstCounter = int(storedFields().size());
    for (int i = 0; i < CounterFields::all().size(); ++i)
        (i < CounterFields::ChannelCount ? plan.channels : plan.products) << row.int64At(firstCounter + i);

    describeCost(plan);
    describeAchievement(plan);
    plan.curve = ResponseCurve::fromRows(days.value(planKey(row.valueAt(0))));
    if (!plan.curve.isEmpty()) {
        plan.days = QString::number(plan.curve.days());
        if (const std::optional<int> half = plan.curve.halfResponseDay())
            plan.halfResponseDay = QString::number(*half);
        plan.finished = plan.curve.lastDay().daysTo(today) >= QuietDaysOfAFinishedPlan;
    }
    return plan;
}

void forecastRunning(PlanEffect& plan, const QList<const ResponseCurve*>& finished, const QDate& today)
{
    if (plan.curve.isEmpty()) {
        plan.forecastText = QStringLiteral("—");
        plan.forecastNote = QStringLiteral("该计划还没有每日反馈行，无法预测。");
        return;
    }
    // Today is the plan's day d; a last row dated after today (a clock set back) counts as today.
    plan.forecastDay = std::max(plan.curve.days(), int(plan.curve.firstDay().daysTo(today)) + 1);
    const qint64 soFar = plan.curve.finalTotal();
    plan.forecast = ResponseForecast::make(soFar, plan.forecastDay, finished);
    plan.forecastText = ResponseForecast::text(plan.forecast);
    if (!plan.forecast.made) {
        plan.forecastNote = plan.forecast.reason;
        return;
    }
    plan.forecastNote =
        QStringLiteral("第 %1 天累计 %2 个反馈；%3 个已完成计划到第 %1 天收到其全部反馈的 %4（中位数），"
                       "四分位数 %5 至 %6。预测 = %2 ÷ %4。")
            .arg(plan.forecastDay)
            .arg(soFar)
            .arg(plan.forecast.finishedCount)
            .arg(percentText(plan.forecast.medianShare, 1), percentText(plan.forecast.lowerShare, 1),
                 percentText(plan.forecast.upperShare, 1));
}

} // namespace

std::optional<double> amountOf(const QString& text)
{
    static const QRegularExpression amount(QStringLiteral("^(\\d{1,3}(,\\d{3})+|\\d+)(\\.\\d+)?\\s*元?$"));
    const QString trimmed = text.trimmed();
    if (!amount.match(trimmed).hasMatch())
        return std::nullopt;
    QString digits = trimmed;
    digits.remove(QLatin1Char(',')).remove(QStringLiteral("元"));
    return digits.trimmed().toDouble();
}

QString percentText(double part, double whole)
{
    const double percent = part * 100.0 / whole;
    QString text = QString::number(percent, 'f', 10);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0)
        point = text.size();
    // A percentage of three digits or more keeps them all and no decimals.
    if (point >= 3)
        text.truncate(point);
    else
        text.truncate(4);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text + QLatin1Char('%');
}

QStringList sharesText(const QList<qint64>& counts)
{
    qint64 sum = 0;
    for (qint64 count : counts)
        sum += count;
    QStringList shares;
    for (qint64 count : counts)
        shares << (sum > 0 ? percentText(double(count), double(sum)) : QString());
    return shares;
}

ShareBand finishedShares(const Analysis& analysis, int days)
{
    QList<const ResponseCurve*> finished;
    for (const PlanEffect& plan : analysis.plans) {
        if (plan.finished && plan.curve.finalTotal() > 0)
            finished.append(&plan.curve);
    }
    ShareBand band;
    if (finished.isEmpty())
        return band;
    QList<double> shares(finished.size());
    for (int day = 1; day <= days; ++day) {
        for (int i = 0; i < finished.size(); ++i)
            shares[i] = finished[i]->shareOnDay(day);
        std::sort(shares.begin(), shares.end());
        band.lower.append(ResponseForecast::quantile(shares, 0.25));
        band.median.append(ResponseForecast::quantile(shares, 0.5));
        band.upper.append(ResponseForecast::quantile(shares, 0.75));
    }
    return band;
}

Analysis read(const std::shared_ptr<Connection>& db, const QDate& today)
{
    Analysis analysis;
    analysis.today = today;
    const QHash<QString, QList<ResponseCurve::DayRow>> days = readDays(*db);
    Statement plans(*db, plansStatement());
    while (plans.step())
        analysis.plans.append(planFrom(plans, days, today));

    QList<ResponseCurve> finishedCurves;
    for (const PlanEffect& plan : analysis.plans) {
        if (plan.finished)
            finishedCurves.append(plan.curve);
    }
    QList<const ResponseCurve*> finished;
    for (const ResponseCurve& curve : finishedCurves) {
        finished.append(&curve);
        if (curve.finalTotal() > 0)
            ++analysis.finishedWithResponses;
    }
    for (PlanEffect& plan : analysis.plans) {
        if (plan.finished) {
            plan.forecastText = QString::number(plan.curve.finalTotal());
            plan.forecastNote = QStringLiteral("已完成的计划：其反馈合计。");
        } else {
            forecastRunning(plan, finished, today);
        }
    }
    return analysis;
}

} // namespace CampaignEffects
