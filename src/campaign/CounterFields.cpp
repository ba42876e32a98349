#include "CounterFields.h"

namespace CounterFields {

const QStringList& channels()
{
    static const QStringList fields = {QStringLiteral("电话数"), QStringLiteral("传真数"), QStringLiteral("Email数"),
                                       QStringLiteral("信函数"), QStringLiteral("面访人数"), QStringLiteral("参观人数")};
    return fields;
}

const QStringList& products()
{
    static const QStringList fields = [] {
        QStringList names;
        for (int p = 1; p <= ProductCount; ++p)
            names << QStringLiteral("产品%1计数").arg(p);
        return names;
    }();
    return fields;
}

const QStringList& all()
{
    static const QStringList fields = channels() + products();
    return fields;
}

} // namespace CounterFields
