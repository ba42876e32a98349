#pragma once

#include <QString>

// The "select * into" statements the export windows run, and their pieces.
namespace ExportStatements {

inline const QString SourceTable = QStringLiteral("clientTableInfo");
inline const QString FeedbackOnly = QStringLiteral(" Where 反馈合计 >= 1");

// outputFm1's rows: every target, or every target with feedback, of every plan.
QString allTargetsSelection(bool everyTarget);
// outputFm2's rows: the plan's targets with feedback.
QString planRespondersSelection(const QString& planNo);

// A save path split at its last separator: the folder with the separator, the file name.
struct SplitPath {
    QString folder;
    QString fileName;
};
SplitPath splitAtLastSeparator(const QString& path);

// The statements of the three kinds. The name is put in brackets, so blanks, apostrophes
// and keywords in it are part of the name. A name or a path holding "]" (or a path
// holding ";") cannot be said in a connect string: that throws DbError.
QString toExportDatabase(const QString& exportDatabasePath, const QString& table, const QString& where);
QString toDbase(const QString& folder, const QString& fileName, const QString& where);
QString toExcel(const QString& workbookPath, const QString& sheet, const QString& where);

} // namespace ExportStatements
