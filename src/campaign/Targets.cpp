#include "Targets.h"

#include "ProgramState.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <QSet>
#include <QStringList>
#include <optional>

namespace {

const QString Table = QStringLiteral("clientTableInfo");
const QString PlanField = QStringLiteral("序号");
const QString NameField = QStringLiteral("营销对象");

// Field names come from the window's grid; only the table's own fields are taken.
void requireKnownFields(Connection& db, const Targets::Values& values)
{
    QSet<QString> known;
    for (const FieldInfo& field : db.fields(Table))
        known.insert(field.name);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        if (!known.contains(it.key()))
            throw DbError(QStringLiteral("营销对象表中没有字段“%1”。").arg(it.key()));
}

// A text longer than its field is refused with the message the table's window gives: a
// name of thousands of characters would be stored whole, and its target could then take no
// response.
void requireFittingTexts(Connection& db, const Targets::Values& values)
{
    for (const FieldInfo& field : db.fields(Table)) {
        const bool text = field.kind == FieldInfo::Kind::Text || field.kind == FieldInfo::Kind::LongText;
        if (text && values.contains(field.name))
            field.toStored(values.value(field.name));   // throws when the text does not fit
    }
}

bool isBlank(const QVariant& value)
{
    return TextRules::trimmedText(value).isEmpty();
}

void requireName(const QVariant& name)
{
    if (isBlank(name))
        throw DbError(QStringLiteral("营销对象不能为空，请输入营销对象的名称。"));
}

// The 序号 of one target; nullopt when the target is gone.
std::optional<QString> planOf(Connection& db, qint64 key)
{
    Statement query(db, QStringLiteral("SELECT 序号 FROM \"clientTableInfo\" WHERE rowid = ?"));
    query.bindInt64(1, key);
    if (!query.step())
        return std::nullopt;
    return TextRules::trimmedText(query.valueAt(0));
}

void announce(ProgramState& state, const QStringList& plans, const QList<qint64>& keys)
{
    QStringList announced;
    for (const QString& plan : plans)
        if (!announced.contains(plan))
            announced << plan;
    for (const QString& plan : announced)
        state.announce({ChangeNotice::Table::Targets, plan, keys});
}

} // namespace

namespace Targets {

qint64 add(ProgramState& state, const Values& values)
{
    Connection& db = state.store();
    requireKnownFields(db, values);
    requireName(values.value(NameField));
    requireFittingTexts(db, values);
    Transaction transaction(db);
    QStringList names;
    QList<QVariant> stored;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        names << SqlText::quoteName(it.key());
        stored << it.value();
    }
    const qint64 key = db.insertRow(QStringLiteral("clientTableInfo"), names, stored);
    transaction.commit();
    announce(state, {TextRules::trimmedText(values.value(PlanField))}, {key});
    return key;
}

bool edit(ProgramState& state, qint64 key, const Values& changes, const Values& expected)
{
    Connection& db = state.store();
    requireKnownFields(db, changes);
    requireKnownFields(db, expected);
    if (changes.contains(NameField))
        requireName(changes.value(NameField));
    requireFittingTexts(db, changes);
    if (changes.isEmpty())
        return true;
    Transaction transaction(db);
    const std::optional<QString> planBefore = planOf(db, key);
    if (!planBefore)
        return false;
    QStringList assignments;
    for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
        assignments << SqlText::quoteName(it.key()) + QStringLiteral(" = ?");
    QStringList unchanged;
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        unchanged << SqlText::quoteName(it.key()) + QStringLiteral(" IS NOT DISTINCT FROM ?");
    QString sql = QStringLiteral("UPDATE \"clientTableInfo\" SET %1 WHERE rowid = ?").arg(assignments.join(QStringLiteral(", ")));
    if (!unchanged.isEmpty())
        sql += QStringLiteral(" AND ") + unchanged.join(QStringLiteral(" AND "));
    Statement update(db, sql);
    int slot = 1;
    for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
        update.bind(slot++, it.value());
    update.bindInt64(slot++, key);
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it)
        update.bind(slot++, it.value());
    update.step();
    if (db.changes() == 0)
        return false;
    db.noteWrite();
    const QString planAfter = planOf(db, key).value_or(QString());
    transaction.commit();
    announce(state, {*planBefore, planAfter}, {key});
    return true;
}

void remove(ProgramState& state, qint64 key)
{
    Connection& db = state.store();
    Transaction transaction(db);
    const std::optional<QString> plan = planOf(db, key);
    if (!plan)
        throw DbError(QStringLiteral("该记录已被其他操作删除。"), StoreFailure::RowChanged);
    Statement deletion(db, QStringLiteral("DELETE FROM \"clientTableInfo\" WHERE rowid = ?"));
    deletion.bindInt64(1, key);
    deletion.step();
    db.noteWrite();
    transaction.commit();
    announce(state, {*plan}, {key});
}

int removeTargetsOfPlan(ProgramState& state, const QString& planNo)
{
    Connection& db = state.store();
    Transaction transaction(db);
    BoundSql statement;
    statement.text = QStringLiteral("DELETE FROM \"clientTableInfo\" WHERE ") + SqlText::equals(statement, PlanField, planNo);
    const int deleted = db.execute(statement);
    transaction.commit();
    state.announce({ChangeNotice::Table::Targets, planNo});
    return deleted;
}

int removeTargetsWithoutFeedback(ProgramState& state)
{
    Connection& db = state.store();
    Transaction transaction(db);
    const int deleted = db.execute(QStringLiteral("DELETE FROM \"clientTableInfo\" WHERE 反馈合计 = 0"));
    transaction.commit();
    state.announce({ChangeNotice::Table::Targets, QString()});
    return deleted;
}

int countOfPlan(Connection& db, const QString& planNo)
{
    Statement query(db, QStringLiteral("SELECT COUNT(*) FROM \"clientTableInfo\" WHERE 序号 = ?"));
    query.bind(1, planNo);
    query.step();
    return int(query.int64At(0));
}

QList<QPair<QString, int>> countWithoutFeedbackByPlan(Connection& db)
{
    Statement query(db, QStringLiteral("SELECT 序号, COUNT(*) FROM \"clientTableInfo\" WHERE 反馈合计 = 0 "
                                       "GROUP BY 序号 ORDER BY 序号"));
    QList<QPair<QString, int>> counts;
    while (query.step())
        counts.append({TextRules::trimmedText(query.valueAt(0)), int(query.int64At(1))});
    return counts;
}

QString planLabel(const QString& planNo)
{
    return planNo.isEmpty() ? QStringLiteral("无序号") : QStringLiteral("计划“%1”").arg(planNo);
}

QString perPlanText(const QList<QPair<QString, int>>& counts)
{
    QStringList parts;
    for (const auto& [planNo, count] : counts)
        parts.append(QStringLiteral("%1的%2个").arg(planLabel(planNo)).arg(count));
    return parts.join(QStringLiteral("、"));
}

} // namespace Targets
