#include "ChangeNotice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A server carries a notice of at most 8000 bytes; a change of more rows than this says
// "these rows" no more and is read as "rows of the plan".
constexpr int MostKeysSent = 200;

} // namespace

QString ChangeNotice::toText() const
{
    QJsonArray sentKeys;
    if (keys.size() <= MostKeysSent)
        for (qint64 key : keys)
            sentKeys.append(key);
    const QJsonObject object{{QStringLiteral("table"), int(table)},
                             {QStringLiteral("plan"), planNo},
                             {QStringLiteral("keys"), sentKeys}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<ChangeNotice> ChangeNotice::fromText(const QString& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const int table = object.value(QStringLiteral("table")).toInt(-1);
    if (table < int(Table::PlanDesigns) || table > int(Table::ProductNames))
        return std::nullopt;
    ChangeNotice notice{Table(table), object.value(QStringLiteral("plan")).toString()};
    for (const QJsonValue& key : object.value(QStringLiteral("keys")).toArray())
        notice.keys << qint64(key.toDouble());
    return notice;
}
