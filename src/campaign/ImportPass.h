#pragma once

#include "core/FieldInfo.h"
#include "core/Transaction.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Connection;
class ProgramState;
class Recordset;

// How an import pass ended.
struct ImportOutcome {
    enum class Result {
        Stored,     // every source row was appended
        Refused,    // a target field refused a value; the rows before it were kept
        Cancelled,  // the user cancelled; nothing was stored
    };
    Result result = Result::Stored;
    int rowsStored = 0;
    int duplicatesSkipped = 0;
    QString reason;   // why the value was refused
};

// Appends every row of the source selection to clientTableInfo: the plan's 序号, the source
// columns into the paired target columns (cut to the field's size and trimmed, Null as ""),
// and 记录号 = rows in the table when the pass began + the row's position in the source.
// The pass is one transaction, so an interrupted pass leaves no half list behind. On a server the
// rows are loaded before the write lock is taken, which is held only to store them.
class ImportPass {
public:
    // Told the number of rows appended so far every ReportEvery rows and after the last;
    // answers false to cancel the pass.
    using Progress = std::function<bool(int rowsDone)>;
    static constexpr int ReportEvery = 256;

    // The source's fields pair with targetColumns by position. Throws DbError when they
    // do not pair or a target column is no field of clientTableInfo.
    // The targets are stored in the program's database, and the pass announces them.
    ImportPass(ProgramState& state, const Recordset& source, const QStringList& targetColumns,
               const QString& planNo);

    // The source rows that would add a target the plan has already, or that an earlier row
    // of the source adds: the same 营销对象 and 电话1 (as they would be stored, letter case
    // ignored). Nothing is found when 营销对象 is no target column.
    int countDuplicates();

    // Runs the pass; with skipDuplicates the rows countDuplicates() found are left out.
    // A refused value ends it with Result::Refused, keeping the rows before it. Any other
    // failure (the disk full, the database made read-only, the table locked or gone) throws
    // DbError saying what happened, and the table is as it was before the pass.
    ImportOutcome run(const Progress& progress = {}, bool skipDuplicates = false);

private:
    // The target fields in insert order: 序号, the paired columns, 记录号.
    QList<FieldInfo> insertColumns() const;
    // The pass in one transaction taking the write lock as told; nullopt (and nothing stored)
    // when the lock came later and the table's row count had changed by then.
    std::optional<ImportOutcome> runOnce(const Progress& progress, bool skipDuplicates, Transaction::Lock lock);


    ProgramState& state_;
    Connection& target_;
    const Recordset& source_;
    QStringList targetColumns_;
    QString planNo_;
    std::vector<bool> duplicate_;   // by source row, filled by countDuplicates()
};
