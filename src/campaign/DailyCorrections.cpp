#include "DailyCorrections.h"

#include "FeedbackRules.h"
#include "PlanRows.h"
#include "PlanTotals.h"
#include "ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <QSet>

namespace DailyCorrections {

namespace {

const QString PlanField = QStringLiteral("序号");
const QString DayTotal = QStringLiteral("反馈合计（当日）");
const QString RunningTotal = QStringLiteral("反馈合计（至今日）");

std::unique_ptr<Recordset> dailyRow(ProgramState& state, qint64 rowKey)
{
    auto row = std::make_unique<Recordset>(state.connection(),
                                           QStringLiteral("Select * From \"feedbackTable\" Where rowid = %1").arg(rowKey));
    if (row->recordCount() == 0)
        throw DbError(QStringLiteral("该记录已被其他操作删除。"), StoreFailure::RowChanged);
    return row;
}

// Day totals from the six channel counters, running totals in the rows' order, and the
// plan's total and rate.
void recomputePlan(ProgramState& state, const QString& planNo)
{
    Recordset days(state.connection(), PlanRows::feedbackStatement(planNo));
    const QStringList& counters = FeedbackRules::counterFields();
    for (int row = 0; row < days.recordCount(); ++row) {
        QList<qint64> values;
        for (int i = 0; i < FeedbackRules::ChannelCount; ++i)
            values << days.valueAt(row, days.fieldIndex(counters[i])).toLongLong();
        const qint64 total = FeedbackRules::channelTotal(values);
        const QVariant stored = days.valueAt(row, days.fieldIndex(DayTotal));
        if (!stored.isNull() && stored.toLongLong() == total)
            continue;
        days.setAbsolutePosition(row + 1);
        days.setValue(DayTotal, total);
        days.update();
    }
    if (days.recordCount() > 0)
        FeedbackRules::recomputeRunningTotals(days);
    PlanTotals::write(state.connection(), planNo);
}

void announce(ProgramState& state, const QSet<QString>& plans)
{
    for (const QString& plan : plans) {
        state.announce({ChangeNotice::Table::DailyRows, plan});
        state.announce({ChangeNotice::Table::ExecutedPlans, plan});
    }
}

} // namespace

void correct(ProgramState& state, const Correction& correction)
{
    for (const QString& field : {DayTotal, RunningTotal})
        if (correction.typed.contains(field))
            throw DbError(QStringLiteral("“%1”由各项计数算出，不能直接修改。").arg(field));
    QSet<QString> plans;
    {
        Transaction transaction(state.store());
        std::unique_ptr<Recordset> row = dailyRow(state, correction.rowKey);
        plans << TextRules::trimmedText(row->value(PlanField));
        const QStringList& counters = FeedbackRules::counterFields();
        for (auto it = correction.typed.constBegin(); it != correction.typed.constEnd(); ++it) {
            if (counters.contains(it.key())) {
                const qint64 added = it.value().toLongLong() - correction.shown.value(it.key()).toLongLong();
                row->setValue(it.key(), row->value(it.key()).toLongLong() + added);
            } else {
                row->setValue(it.key(), it.value());
            }
        }
        row->update();
        plans << TextRules::trimmedText(row->value(PlanField));   // a row moved to another plan number
        for (const QString& plan : plans)
            recomputePlan(state, plan);
        transaction.commit();
    }
    announce(state, plans);
}

void deleteRow(ProgramState& state, qint64 rowKey)
{
    QString plan;
    {
        Transaction transaction(state.store());
        std::unique_ptr<Recordset> row = dailyRow(state, rowKey);
        plan = TextRules::trimmedText(row->value(PlanField));
        row->deleteCurrent();
        recomputePlan(state, plan);
        transaction.commit();
    }
    announce(state, {plan});
}

int deletePlanRows(ProgramState& state, const QString& planNo)
{
    int deleted = 0;
    {
        Transaction transaction(state.store());
        BoundSql statement;
        statement.text = QStringLiteral("DELETE FROM \"feedbackTable\" WHERE ") + SqlText::equals(statement, QStringLiteral("序号"), planNo);
        deleted = state.store().execute(statement);
        PlanTotals::write(state.connection(), planNo);
        transaction.commit();
    }
    announce(state, {planNo});
    return deleted;
}

} // namespace DailyCorrections
