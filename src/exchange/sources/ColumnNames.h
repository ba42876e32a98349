#pragma once

#include <QStringList>

// Column names as the import can use them: an empty heading becomes F1, F2 ... after its
// position (1-based), characters that cannot stand inside [brackets] are dropped, and a name
// met before (letter case ignored, as the database compares names) gets the first free
// number appended: Point_ID, Point_ID1.
namespace ColumnNames {

QStringList usable(const QStringList& headings);

} // namespace ColumnNames
