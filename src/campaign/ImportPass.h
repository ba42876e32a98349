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
    int namelessSkipped = 0;   // rows without a 营销对象 left out
    int namelessStored = 0;    // rows without a 营销对象 stored as the user chose
    QList<std::pair<QString, int>> cutValues;   // by target field, in field order: texts cut to the field's size
};

// The rows of a source a pass would store twice: those whose target the plan already has,
// and those an earlier row of the source adds; with the first of them for the user to see.
struct DuplicateRows {
    struct Row {
        int number;          // the row's position in the source, from 1
        QString name;        // 营销对象 and 电话1 as they would be stored
        QString phone;
        bool alreadyStored;  // the plan has the target; otherwise an earlier row repeats it
    };
    static constexpr int RowsShown = 5;
    int alreadyStored = 0;
    int repeatedInSource = 0;
    QList<Row> first;        // at most RowsShown
    int count() const { return alreadyStored + repeatedInSource; }
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
    // Of what countDuplicates() found: how many of each kind, and the first rows.
    const DuplicateRows& duplicates() const { return duplicateRows_; }

    // The source rows whose 营销对象 would be stored empty (every row when 营销对象 is no target
    // column); fills `first` with the positions (from 1) of up to DuplicateRows::RowsShown of them.
    int countNameless(QList<int>* first = nullptr);

    // Runs the pass; with skipDuplicates the rows countDuplicates() found are left out, with
    // skipNameless those countNameless() found. Texts longer than their field are cut and
    // counted by field in the outcome.
    // A refused value ends it with Result::Refused, keeping the rows before it. Any other
    // failure (the disk full, the database made read-only, the table locked or gone) throws
    // DbError saying what happened, and the table is as it was before the pass.
    ImportOutcome run(const Progress& progress = {}, bool skipDuplicates = false, bool skipNameless = false);

private:
    // The target fields in insert order: 序号, the paired columns, 记录号.
    QList<FieldInfo> insertColumns() const;
    // The pass in one transaction taking the write lock as told; nullopt (and nothing stored)
    // when the lock came later and the table's row count had changed by then.
    std::optional<ImportOutcome> runOnce(const Progress& progress, bool skipDuplicates, bool skipNameless,
                                         Transaction::Lock lock);


    ProgramState& state_;
    Connection& target_;
    const Recordset& source_;
    QStringList targetColumns_;
    QString planNo_;
    // Notes a duplicate row of the source for duplicates().
    void noteDuplicate(int row, const QString& name, const QString& phone, bool alreadyStored);

    std::vector<bool> duplicate_;   // by source row, filled by countDuplicates()
    DuplicateRows duplicateRows_;
    std::vector<bool> nameless_;    // by source row, filled by countNameless()
};
