#pragma once

#include <QStringList>

class Connection;
class ProgramState;

// The five product names of the product mapping's one row, by column position 0 … 4.
namespace ProductNames {

// The names as stored ("" for each when the table has no row). Throws DbError.
QStringList load(Connection& db);

// Stores the names into the mapping's row (a new row when the table has none), each trimmed
// and cut to its column's declared width; makes them the program's names and announces them.
// Throws DbError when refused; nothing is stored then.
void store(ProgramState& state, const QStringList& names);

} // namespace ProductNames
