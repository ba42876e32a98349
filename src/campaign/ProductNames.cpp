#include "ProductNames.h"

#include "ProgramState.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/TextRules.h"
#include "core/Transaction.h"

namespace ProductNames {

namespace {

const QString MappingStatement = QStringLiteral("Select * From \"productDF\"");

QStringList read(const Recordset& mapping)
{
    QStringList names;
    for (int i = 0; i < 5; ++i)
        names << ((mapping.hasCurrentRow() && i < mapping.fieldCount()) ? TextRules::trimmedText(mapping.value(i))
                                                                         : QString());
    return names;
}

} // namespace

QStringList load(Connection& db)
{
    const Recordset mapping(db.shared_from_this(), MappingStatement);
    return read(mapping);
}

void store(ProgramState& state, const QStringList& names)
{
    Transaction transaction(state.store());
    Recordset mapping(state.connection(), MappingStatement);
    if (!mapping.hasCurrentRow())
        mapping.addNew();
    for (int i = 0; i < 5 && i < mapping.fieldCount(); ++i) {
        // Cut to the width the column declares, so a name can grow up to it (cutting to the
        // stored name's length would keep names from ever getting longer).
        // Trimmed before the cut, so blanks typed around a name do not cost its last characters.
        const QString name = TextRules::trimBlanks(names.value(i)).left(mapping.field(i).declaredSize);
        mapping.setValue(i, TextRules::trimBlanks(name));
    }
    mapping.update();
    const QStringList stored = read(mapping);
    transaction.commit();
    state.setProductNames(stored);
    state.announce({ChangeNotice::Table::ProductNames, QString()});
}

} // namespace ProductNames
