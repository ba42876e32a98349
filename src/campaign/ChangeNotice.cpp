#include "ChangeNotice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A server carries a notice of at most 8000 bytes; a change of more rows than this says
// "these rows" no more and is read as "rows of the plan".
constexpr int MostKeysSent = 200;

} // namespace

QString ChangeNotice::textBeforePlan() const
{
    QJsonArray sentKeys;
    if (keys.size() <= MostKeysSent)
        for (qint64 key : keys)
            sentKeys.append(key);
    const QJsonObject object{{QStringLiteral("table"), int(table)}, {QStringLiteral("keys"), sentKeys}};
    // Compact JSON holds no line break of its own: the first one ends it.
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

QString ChangeNotice::toText() const
{
    return textBeforePlan() + planNo;
}

std::optional<ChangeNotice> ChangeNotice::fromText(const QString& text)
{
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(text.left(lineBreak).toUtf8());
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const int table = object.value(QStringLiteral("table")).toInt(-1);
    if (table < int(Table::PlanDesigns) || table > int(Table::ProductNames))
        return std::nullopt;
    ChangeNotice notice{Table(table), text.mid(lineBreak + 1)};
    for (const QJsonValue& key : object.value(QStringLiteral("keys")).toArray())
        notice.keys << qint64(key.toDouble());
    return notice;
}
