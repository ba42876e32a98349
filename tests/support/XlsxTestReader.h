#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reads back what the Excel writer wrote, straight from the package: the sheet list of
// the workbook, a sheet's cells as texts (shared and inline strings, numbers), and the
// raw bytes of any part.
namespace XlsxTestReader {

QStringList entryNames(const QString& path);
QByteArray entry(const QString& path, const QString& name);
QStringList sheetNames(const QString& path);
// Rows of cell texts; an empty cell is "" (columns placed by their references).
QList<QStringList> sheetRows(const QString& path, const QString& sheetName);

} // namespace XlsxTestReader
