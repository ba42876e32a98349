#include "Navigation.h"

#include "Recordset.h"

namespace Navigation {

void move(Recordset& recordset, int buttonIndex)
{
    switch (buttonIndex) {
    case 0:
        recordset.moveFirst();
        break;
    case 1:
        recordset.movePrevious();
        if (recordset.isBOF())
            recordset.moveFirst();
        break;
    case 2:
        recordset.moveNext();
        if (recordset.isEOF())
            recordset.moveLast();
        break;
    default:
        recordset.moveLast();
    }
}

} // namespace Navigation
