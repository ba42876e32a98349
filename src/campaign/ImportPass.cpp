#include "ImportPass.h"

#include "ProgramState.h"

#include "core/Connection.h"
#include "core/DbError.h"
#include "core/FieldInfo.h"
#include "core/Recordset.h"
#include "core/RowAppend.h"
#include "core/SqlText.h"
#include "core/Statement.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

#include <QHash>
#include <QSet>


namespace {

const QString TargetTable = QStringLiteral("clientTableInfo");
const QString PlanField = QStringLiteral("序号");
const QString RecordNoField = QStringLiteral("记录号");
const QString NameField = QStringLiteral("营销对象");
const QString PhoneField = QStringLiteral("电话1");

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
    Statement count(target, QStringLiteral("SELECT COUNT(*) FROM ") + SqlText::quoteName(TargetTable));
    count.step();
    return count.int64At(0);
}

// Whether a failed insert was a value the target field refused (the pass keeps the rows
// before it) rather than a failure of the store itself (a full disk, a read-only file), after
// which SQLite may already have undone the whole transaction.
bool isRefusedValue(const DbError& error)
{
    return error.kind() == StoreFailure::ValueRefused;   // by the field's own rules or by the store
}

// Two targets are the same when these texts are: trimmed, letter case ignored.
QString duplicateKey(const QString& name, const QString& phone)
{
    return name.trimmed().toCaseFolded() + QChar(0x1F) + phone.trimmed().toCaseFolded();
}

bool isText(const FieldInfo& field)
{
    return field.kind == FieldInfo::Kind::Text || field.kind == FieldInfo::Kind::LongText;
}

// Whether storing the value in a text field of this size loses characters: more is cut than
// the blanks trimming takes anyway.
bool isCut(const QVariant& value, const QString& stored)
{
    return stored != TextRules::trimmedText(value);
}

// Binds a source value to its target field as the pass stores it: as text, cut to the field's
// size and trimmed. Most texts need neither, and go across as the UTF-8 the source holds,
// unconverted: a big list holds millions of them. Answers whether the text was cut.
bool bindValue(RowAppend& insert, int index, const Statement& sourceRows, int column, const FieldInfo& from,
               const FieldInfo& to)
{
    if (isText(to) && from.kind != FieldInfo::Kind::Date) {   // a date is read into a date first
        const QByteArrayView text = sourceRows.utf8At(column);
        if (!text.isNull() && TextRules::fieldTextKeepsUtf8(text, to.declaredSize)) {
            insert.bindUtf8(index, text);
            return false;
        }
    }
    const QVariant value = from.fromStored(sourceRows.valueAt(column));
    const QString stored = TextRules::fieldText(value, to.declaredSize);
    insert.bind(index, to.toStored(stored));
    return isText(to) && isCut(value, stored);
}

// Counts a cut text of the field in the outcome, the fields in the order they are met.
void countCut(ImportOutcome& outcome, const QString& field)
{
    for (auto& [name, count] : outcome.cutValues) {
        if (name == field) {
            ++count;
            return;
        }
    }
    outcome.cutValues.append({field, 1});
}

} // namespace

ImportPass::ImportPass(ProgramState& state, const Recordset& source, const QStringList& targetColumns,
                       const QString& planNo)
    : state_(state), target_(state.store()), source_(source), targetColumns_(targetColumns), planNo_(planNo)
{
    if (source_.fieldCount() != targetColumns_.size())
        throw DbError(QStringLiteral("字段对应个数不匹配！"));
}

QList<FieldInfo> ImportPass::insertColumns() const
{
    const QHash<QString, FieldInfo> fields = targetFields(target_);
    QList<FieldInfo> columns{requireField(fields, PlanField)};
    for (const QString& name : targetColumns_)
        columns << requireField(fields, name);
    columns << requireField(fields, RecordNoField);
    return columns;
}

int ImportPass::countDuplicates()
{
    duplicate_.clear();
    const qsizetype nameSlot = targetColumns_.indexOf(NameField);
    if (nameSlot < 0)
        return 0;
    const qsizetype phoneSlot = targetColumns_.indexOf(PhoneField);
    const QList<FieldInfo> columns = insertColumns();

    QSet<QString> known;
    Statement planTargets(target_, QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IS NOT DISTINCT FROM ?")
                                                .arg(SqlText::quoteName(NameField), SqlText::quoteName(PhoneField),
                                                     SqlText::quoteName(TargetTable), SqlText::quoteName(PlanField)));
    planTargets.bind(1, columns[0].toStored(planNo_));
    while (planTargets.step())
        known.insert(duplicateKey(planTargets.valueAt(0).toString(), planTargets.valueAt(1).toString()));
    const QSet<QString> stored = known;
    duplicateRows_ = {};

    auto storedText = [&](const Statement& rows, qsizetype slot) {
        const FieldInfo& field = columns[slot + 1];
        return TextRules::fieldText(source_.field(int(slot)).fromStored(rows.valueAt(int(slot))), field.declaredSize);
    };
    Statement sourceRows(source_.connection(), source_.source());
    const int rows = source_.recordCount();
    duplicate_.reserve(size_t(rows));
    known.reserve(known.size() + rows);
    int found = 0;
    for (int row = 0; row < rows && sourceRows.step(); ++row) {
        const QString name = storedText(sourceRows, nameSlot);
        if (name.isEmpty()) {
            duplicate_.push_back(false);   // a row without a name is asked about on its own
            continue;
        }
        const QString phone = phoneSlot < 0 ? QString() : storedText(sourceRows, phoneSlot);
        const QString key = duplicateKey(name, phone);
        const qsizetype before = known.size();
        known.insert(key);
        duplicate_.push_back(known.size() == before);
        if (duplicate_.back()) {
            ++found;
            noteDuplicate(row + 1, name, phone, stored.contains(key));
        }
    }
    return found;
}

void ImportPass::noteDuplicate(int row, const QString& name, const QString& phone, bool alreadyStored)
{
    ++(alreadyStored ? duplicateRows_.alreadyStored : duplicateRows_.repeatedInSource);
    if (duplicateRows_.first.size() < DuplicateRows::RowsShown)
        duplicateRows_.first.append({row, name, phone, alreadyStored});
}

int ImportPass::countNameless(QList<int>* first)
{
    nameless_.clear();
    const qsizetype nameSlot = targetColumns_.indexOf(NameField);
    const int rows = source_.recordCount();
    const QList<FieldInfo> columns = insertColumns();
    Statement sourceRows(source_.connection(), source_.source());
    nameless_.reserve(size_t(rows));
    int found = 0;
    for (int row = 0; row < rows && sourceRows.step(); ++row) {
        const bool empty = nameSlot < 0
                           || TextRules::fieldText(source_.field(int(nameSlot)).fromStored(sourceRows.valueAt(int(nameSlot))),
                                                   columns[nameSlot + 1].declaredSize).isEmpty();
        nameless_.push_back(empty);
        if (!empty)
            continue;
        if (first && first->size() < DuplicateRows::RowsShown)
            first->append(row + 1);
        ++found;
    }
    return found;
}

ImportOutcome ImportPass::run(const Progress& progress, bool skipDuplicates, bool skipNameless)
{
    if (const auto outcome = runOnce(progress, skipDuplicates, skipNameless, Transaction::Lock::Later))
        return *outcome;
    // Another seat added or removed targets while the rows were loading (rare): the pass is
    // made again, holding the lock throughout, so its record numbers follow those targets.
    return *runOnce(progress, skipDuplicates, skipNameless, Transaction::Lock::AtStart);
}

std::optional<ImportOutcome> ImportPass::runOnce(const Progress& progress, bool skipDuplicates, bool skipNameless,
                                                 Transaction::Lock lock)
{
    const QList<FieldInfo> columns = insertColumns();
    QStringList names;
    for (const FieldInfo& field : columns)
        names << field.name;

    // One transaction, so an interrupted pass leaves no half list behind. On a server the rows
    // are loaded before the write lock is taken: the seats recording responses meanwhile do not
    // wait for a big list, only for the moment the pass is stored.
    Transaction transaction(target_, lock);
    const qint64 rowsBefore = rowCount(target_);
    RowAppend append(target_, TargetTable, names);

    // The source rows are read once, in one sequential pass over the source's statement (the
    // recordset's own order), rather than value by value through the recordset's row cache.
    Statement sourceRows(source_.connection(), source_.source());

    ImportOutcome outcome;
    const int rows = source_.recordCount();
    const int sourceColumns = source_.fieldCount();
    const int recordNoSlot = sourceColumns + 2;
    const QVariant planNo = columns[0].toStored(planNo_);
    const bool skipping = skipDuplicates && duplicate_.size() == size_t(rows);
    const bool namelessKnown = nameless_.size() == size_t(rows);
    int handedOver = 0;   // rows given to the store, stored or on their way
    try {
        for (int row = 0; row < rows && sourceRows.step(); ++row) {
            const bool nameless = namelessKnown && nameless_[size_t(row)];
            if (skipping && duplicate_[size_t(row)]) {
                ++outcome.duplicatesSkipped;
            } else if (nameless && skipNameless) {
                ++outcome.namelessSkipped;
            } else {
                append.bind(1, planNo);
                for (int i = 0; i < sourceColumns; ++i) {
                    if (bindValue(append, i + 2, sourceRows, i, source_.field(i), columns[i + 1]))
                        countCut(outcome, columns[i + 1].name);
                }
                // Numbered on from the table's row count, without gaps where duplicates were left out.
                append.bind(recordNoSlot, columns.last().toStored(QString::number(rowsBefore + handedOver + 1)));
                append.endRow();
                ++handedOver;
                outcome.namelessStored += nameless ? 1 : 0;
            }
            const int done = row + 1;
            const bool report = done % ReportEvery == 0 || done == rows;
            if (report && progress && !progress(handedOver))
                return ImportOutcome{ImportOutcome::Result::Cancelled, 0, 0, QString()};   // the guard rolls back
        }
        append.finish();
    } catch (const DbError& error) {
        if (!isRefusedValue(error))
            throw;   // the guard rolls the whole pass back
        // The rows before the refused one stay, as a pass always kept them; those of them still
        // on their way go now (a refusal among them comes first, being the earlier row).
        outcome.result = ImportOutcome::Result::Refused;
        outcome.reason = error.description();
        try {
            append.finish();
        } catch (const DbError& earlier) {
            if (!isRefusedValue(earlier))
                throw;
            outcome.reason = earlier.description();
        }
    }
    outcome.rowsStored = append.rowsStored();
    if (target_.isServer() && outcome.rowsStored > 0) {
        // The server plans the other seats' statements anew from these figures once the pass
        // is stored: a plan made while the table was small would read every row of the list.
        Statement(target_, QStringLiteral("analyze ") + SqlText::quoteName(TargetTable)).step();
    }

    transaction.lock();
    if (rowCount(target_) - outcome.rowsStored != rowsBefore)
        return std::nullopt;   // the guard rolls back
    transaction.commit();
    target_.noteWrite();
    if (outcome.rowsStored > 0)
        state_.announce({ChangeNotice::Table::Targets, planNo_});
    return outcome;
}
