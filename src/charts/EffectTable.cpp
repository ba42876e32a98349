#include "EffectTable.h"

#include "core/Connection.h"
#include "core/SqlText.h"
#include "core/SqliteConnection.h"
#include "core/Statement.h"
#include "core/Transaction.h"

namespace EffectTable {

const QString& name()
{
    static const QString table = QStringLiteral("营销效果分析");
    return table;
}

const QStringList& columns()
{
    static const QStringList captions = {
        QStringLiteral("序号"),     QStringLiteral("题目"),   QStringLiteral("规模（数量）"), QStringLiteral("预计反馈数"),
        QStringLiteral("反馈合计"), QStringLiteral("反馈率"), QStringLiteral("达成率"),       QStringLiteral("费用"),
        QStringLiteral("每反馈成本"), QStringLiteral("天数"), QStringLiteral("半数反馈日"),   QStringLiteral("预测反馈总数"),
    };
    return captions;
}

QStringList rowTexts(const PlanEffect& plan)
{
    return {plan.planNo, plan.title,          plan.scale,           plan.expected,
            plan.total,  plan.rate,           plan.achievement,     plan.cost,
            plan.costPerResponse, plan.days,  plan.halfResponseDay, plan.forecastText};
}

QString query()
{
    return QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(SqlText::quoteName(name()));
}

std::shared_ptr<Connection> build(const QList<PlanEffect>& plans)
{
    std::shared_ptr<Connection> db = SqliteConnection::openInMemory();
    QStringList definitions;
    QStringList quoted;
    QStringList placeholders;
    for (const QString& column : columns()) {
        definitions << SqlText::quoteName(column) + QStringLiteral(" TEXT");
        quoted << SqlText::quoteName(column);
        placeholders << QStringLiteral("?%1").arg(placeholders.size() + 1);
    }
    const QString table = SqlText::quoteName(name());
    db->execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(table, definitions.join(QStringLiteral(", "))));
    Transaction transaction(*db);
    Statement insert(*db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(table, quoted.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", "))));
    for (const PlanEffect& plan : plans) {
        const QStringList texts = rowTexts(plan);
        for (int i = 0; i < texts.size(); ++i)
            insert.bind(i + 1, texts[i]);
        insert.step();
        insert.reset();
    }
    transaction.commit();
    return db;
}

} // namespace EffectTable
