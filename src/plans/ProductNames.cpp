#include "ProductNames.h"

#include "core/Recordset.h"
#include "core/TextRules.h"

namespace ProductNames {

QStringList read(const Recordset& mapping)
{
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names << ((mapping.hasCurrentRow() && i < mapping.fieldCount()) ? TextRules::trimmedText(mapping.value(i))
                                                                         : QString());
    return names;
}

void store(Recordset& mapping, const QStringList& names)
{
    if (!mapping.hasCurrentRow())
        mapping.addNew();
    for (int i = 0; i < 5 && i < mapping.fieldCount(); ++i) {
        // Cut to the width the column declares, so a name can grow up to it (cutting to the
        // stored name's length would keep names from ever getting longer).
        const QString name = names.value(i).left(mapping.field(i).declaredSize);
        mapping.setValue(i, TextRules::trimBlanks(name));
    }
    mapping.update();
}

} // namespace ProductNames
