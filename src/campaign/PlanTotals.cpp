#include "PlanTotals.h"

#include "PlanReference.h"
#include "ProgramState.h"
#include "TodaysRow.h"
#include "core/Connection.h"
#include "core/SqlText.h"
#include "core/WriteBatch.h"

namespace PlanTotals {

namespace {

QString q(const QString& name)
{
    return SqlText::quoteName(name);
}

// A scale read as a whole number in SQL both engines take: digits only (at most 18, so it fits),
// blanks around them allowed; anything else reads as 0.
QString scaleExpression(const QString& field)
{
    const QString text = QStringLiteral("trim(%1)").arg(field);
    QString withoutDigits = text;
    for (int digit = 0; digit <= 9; ++digit)
        withoutDigits = QStringLiteral("replace(%1, '%2', '')").arg(withoutDigits, QString::number(digit));
    return QStringLiteral("CASE WHEN %1 <> '' AND length(%1) <= 18 AND %2 = '' THEN CAST(%1 AS BIGINT) ELSE 0 END")
        .arg(text, withoutDigits);
}

// The rate of `total` among `scale` (both whole, total >= 0, scale > 0) in whole-number arithmetic:
// the whole part of the percentage and as many decimals as fit into four characters. Decimals of a
// percentage that ends there lose their trailing zero ("2.5", not "2.50"), as the decimals of any
// number written out do.
QString rateExpression(const QString& total, const QString& scale)
{
    const QString whole = QStringLiteral("(100 * %1 / %2)").arg(total, scale);
    const QString rest = QStringLiteral("(100 * %1 % %2)").arg(total, scale);
    const QString wholeText = QStringLiteral("CAST(%1 AS TEXT)").arg(whole);
    const QString oneDecimal = QStringLiteral("CAST(%1 * 10 / %2 AS TEXT)").arg(rest, scale);
    const QString twoDecimals = QStringLiteral("substr(CAST(100 + %1 * 100 / %2 AS TEXT), 2, 2)").arg(rest, scale);
    const QString endsAfterOne = QStringLiteral("(%1 * 100 % %2 = 0 AND %1 * 100 / %2 % 10 = 0)").arg(rest, scale);
    return QStringLiteral(
               "CASE WHEN %1 = 0 THEN '0' ELSE (CASE "
               "WHEN %2 = 0 OR %3 >= 100 THEN substr(%4, 1, 4) "
               "WHEN %3 >= 10 THEN %4 || '.' || %5 "
               "WHEN %6 THEN %4 || '.' || %5 "
               "ELSE %4 || '.' || %7 END) || '%' END")
        .arg(scale, rest, whole, wholeText, oneDecimal, endsAfterOne, twoDecimals);
}

std::optional<Totals> totalsOf(const WriteBatch::Rows& rows)
{
    if (rows.isEmpty())
        return std::nullopt;
    return Totals{rows[0].value(0).toString().toLongLong(), rows[0].value(1).toString()};
}

} // namespace

int addTo(WriteBatch& batch, const PlanReference& plan)
{
    BoundSql statement;
    const QString number = q(QStringLiteral("序号"));
    const QString lastRunningTotal =
        QStringLiteral("coalesce((SELECT %1 FROM \"feedbackTable\" WHERE %2 = %3 ORDER BY rowid DESC LIMIT 1), 0)")
            .arg(q(QStringLiteral("反馈合计（至今日）")), number, plan.in(statement));
    const QString scale = QStringLiteral("(SELECT %1 FROM \"marketingComment\" AS m WHERE m.%2 = %3 LIMIT 1)")
                              .arg(scaleExpression(QStringLiteral("m.") + q(QStringLiteral("规模（数量）"))), number,
                                   plan.in(statement));
    const QString where = plan.in(statement);
    // The LIMIT keeps a server from writing the total's and the scale's subqueries once for each
    // place the rate names them.
    statement.text =
        QStringLiteral("UPDATE \"marketingComment\" SET %1 = CAST(t.total AS TEXT), %2 = %3 "
                       "FROM (SELECT %4 AS total, %5 AS scale LIMIT 1) AS t WHERE \"marketingComment\".%6 = %7 RETURNING %1, %2")
            .arg(q(QStringLiteral("反馈合计")), q(QStringLiteral("反馈率")),
                 rateExpression(QStringLiteral("t.total"), QStringLiteral("t.scale")), lastRunningTotal, scale, number,
                 where);
    return batch.add(statement);
}

std::optional<Totals> store(ProgramState& state, const QString& planNo)
{
    if (!TodaysRow::planTotal(state.connection(), planNo))
        return std::nullopt;
    WriteBatch batch;
    const int step = addTo(batch, PlanReference::number(planNo));
    const std::optional<Totals> totals = totalsOf(state.store().runBatch(batch)[step]);
    if (totals)
        state.announce({ChangeNotice::Table::ExecutedPlans, planNo});
    return totals;
}

std::optional<Totals> write(const std::shared_ptr<Connection>& db, const QString& planNo)
{
    WriteBatch batch;
    const int step = addTo(batch, PlanReference::number(planNo));
    return totalsOf(db->runBatch(batch)[step]);
}

} // namespace PlanTotals
