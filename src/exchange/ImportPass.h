#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class Connection;
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
    QString reason;   // why the value was refused
};

// Appends every row of the source selection to clientTableInfo: the plan's 序号, the source
// columns into the paired target columns (cut to the field's size and trimmed, Null as ""),
// and 记录号 = rows in the table when the pass began + the row's position in the source.
// The pass is one transaction, so an interrupted pass leaves no half list behind.
class ImportPass {
public:
    // Told the number of rows appended so far every ReportEvery rows and after the last;
    // answers false to cancel the pass.
    using Progress = std::function<bool(int rowsDone)>;
    static constexpr int ReportEvery = 256;

    // The source's fields pair with targetColumns by position. Throws DbError when they
    // do not pair or a target column is no field of clientTableInfo.
    ImportPass(Connection& target, const Recordset& source, const QStringList& targetColumns,
               const QString& planNo);

    // Runs the pass. Throws DbError only when the pass cannot start (the table is locked
    // or gone); a refused value ends it with Result::Refused.
    ImportOutcome run(const Progress& progress = {});

private:
    Connection& target_;
    const Recordset& source_;
    QStringList targetColumns_;
    QString planNo_;
};
