#pragma once

class Recordset;

// The four navigation buttons "<<", "<", ">", ">>" (index 0 to 3): first row; previous row,
// staying on the first at the beginning; next row, staying on the last at the end; last row.
namespace Navigation {

void move(Recordset& recordset, int buttonIndex);

} // namespace Navigation
