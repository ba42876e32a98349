#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class Recordset;

// The rules of the import that are not about widgets: the names taken from the chosen file,
// the position texts under the import window's grids, the pairing check, the statements
// of a pass and how a source value becomes a target text.
namespace ImportRules {

// The nine target columns the mapping starts with and "复原" restores.
QStringList initialTargetColumns();

// The file title less its last four characters (the dot and a three-letter extension),
// counted on the trimmed title; an extension of more than three letters goes with its dot.
QString baseNameOf(const QString& fileTitle);
// The folder of the chosen file, without its trailing separator.
QString folderOf(const QString& fileName, const QString& fileTitle);

// "3/120", or "0" when the recordset is missing or has no rows.
QString positionText(const Recordset* recordset);
// The text under the source grid at the end of a pass: "1 / 120", or "0" without rows.
QString finishedPositionText(const Recordset* recordset);

enum class MappingCheck { Nothing, CountMismatch, Ready };
// Both lists empty: nothing to do; different lengths: the pairs do not match.
MappingCheck checkMapping(int sourceColumns, int targetColumns);

// "Select \"a\", \"b c\" From \"Sheet1$\""
QString sourceSelect(const QStringList& sourceColumns, const QString& fromName);
// "Select \"序号\", \"营销对象\", \"电话1\", \"记录号\" From \"clientTableInfo\""
QString targetSelect(const QStringList& targetColumns);

} // namespace ImportRules
