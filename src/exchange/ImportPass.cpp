#include "ImportPass.h"

#include "ImportRules.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/FieldInfo.h"
#include "core/JetDialect.h"
#include "core/Recordset.h"
#include "core/Statement.h"
#include "core/Transaction.h"

#include <QHash>

namespace {

const QString TargetTable = QStringLiteral("clientTableInfo");
const QString PlanField = QStringLiteral("序号");
const QString RecordNoField = QStringLiteral("记录号");

QHash<QString, FieldInfo> targetFields(const Connection& target)
{
    QHash<QString, FieldInfo> byName;
    for (const FieldInfo& field : target.fields(TargetTable))
        byName.insert(field.name, field);
    return byName;
}

const FieldInfo& requireField(const QHash<QString, FieldInfo>& fields, const QString& name)
{
    const auto it = fields.constFind(name);
    if (it == fields.constEnd())
        throw DbError(QStringLiteral("表“%1”中没有字段“%2”。").arg(TargetTable, name));
    return it.value();
}

qint64 rowCount(Connection& target)
{
    Statement count(target.handle(), QStringLiteral("SELECT COUNT(*) FROM ") + TargetTable);
    count.step();
    return count.int64At(0);
}

QString insertStatement(const QList<FieldInfo>& columns)
{
    QStringList names;
    QStringList placeholders;
    for (const FieldInfo& field : columns) {
        names << ImportRules::quotedName(field.name);
        placeholders << QStringLiteral("?");
    }
    return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
        .arg(TargetTable, names.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", ")));
}

} // namespace

ImportPass::ImportPass(Connection& target, const Recordset& source, const QStringList& targetColumns,
                       const QString& planNo)
    : target_(target), source_(source), targetColumns_(targetColumns), planNo_(planNo)
{
    if (source_.fieldCount() != targetColumns_.size())
        throw DbError(QStringLiteral("字段对应个数不匹配！"));
}

ImportOutcome ImportPass::run(const Progress& progress)
{
    const QHash<QString, FieldInfo> fields = targetFields(target_);
    QList<FieldInfo> columns{requireField(fields, PlanField)};
    for (const QString& name : targetColumns_)
        columns << requireField(fields, name);
    columns << requireField(fields, RecordNoField);

    // The count and the rows appended belong to one moment of the store: another window's
    // rows cannot slip in between.
    Transaction transaction(target_);
    const qint64 rowsBefore = rowCount(target_);
    Statement insert(target_.handle(), insertStatement(columns));

    // The source rows are read once, in one sequential pass over the source's statement (the
    // recordset's own order), rather than value by value through the recordset's row cache.
    Statement sourceRows(source_.connection().handle(), JetDialect::toSqlite(source_.source()));

    ImportOutcome outcome;
    const int rows = source_.recordCount();
    const int sourceColumns = source_.fieldCount();
    const int recordNoSlot = sourceColumns + 2;
    const QVariant planNo = columns[0].toStored(planNo_);
    for (int row = 0; row < rows && sourceRows.step(); ++row) {
        try {
            insert.bind(1, planNo);
            for (int i = 0; i < sourceColumns; ++i) {
                const FieldInfo& field = columns[i + 1];
                const QVariant value = source_.field(i).fromStored(sourceRows.valueAt(i));
                insert.bind(i + 2, field.toStored(ImportRules::targetText(value, field.declaredSize)));
            }
            insert.bind(recordNoSlot, columns.last().toStored(QString::number(rowsBefore + row + 1)));
            insert.step();
            insert.reset();
        } catch (const DbError& error) {
            // The rows before the refused one stay, as a pass always kept them.
            outcome.result = ImportOutcome::Result::Refused;
            outcome.reason = error.description();
            insert.reset();
            break;
        }
        ++outcome.rowsStored;
        const bool report = outcome.rowsStored % ReportEvery == 0 || outcome.rowsStored == rows;
        if (report && progress && !progress(outcome.rowsStored))
            return {ImportOutcome::Result::Cancelled, 0, QString()};   // the guard rolls back
    }
    transaction.commit();
    target_.noteWrite();
    return outcome;
}
