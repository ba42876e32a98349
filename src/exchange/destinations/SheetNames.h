#pragma once

#include <QString>
#include <QStringList>

// The names Excel accepts for a worksheet: 1 to 31 characters, none of : \ / ? * [ ],
// no apostrophe at either end, not "History", and none already in the workbook (letter
// case not counting).
namespace SheetNames {

constexpr int MaxLength = 31;

// Why Excel would refuse the name, in words for the user; empty when it is fine.
QString problem(const QString& name, const QStringList& existing = {});

} // namespace SheetNames
