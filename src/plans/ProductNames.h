#pragma once

#include <QStringList>

class Recordset;

// The five product names of the product mapping's one row, by column position 0 … 4.
namespace ProductNames {

QStringList read(const Recordset& mapping);

// Writes the names into the current row (a new row when the table has none), each trimmed
// and cut to its column's declared width, and stores it. Throws DbError when refused.
void store(Recordset& mapping, const QStringList& names);

} // namespace ProductNames
