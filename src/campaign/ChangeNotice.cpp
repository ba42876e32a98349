#include "ChangeNotice.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A server carries a notice of at most 8000 bytes; a change of more rows than this says
// "these rows" no more and is read as "rows of the plan".
constexpr int MostKeysSent = 200;

QJsonObject asObject(const ChangeNotice& notice)
{
    QJsonArray sentKeys;
    if (notice.keys.size() <= MostKeysSent)
        for (qint64 key : notice.keys)
            sentKeys.append(key);
    return QJsonObject{{QStringLiteral("table"), int(notice.table)}, {QStringLiteral("keys"), sentKeys}};
}

std::optional<ChangeNotice> fromObject(const QJsonObject& object, const QString& planNo)
{
    const int table = object.value(QStringLiteral("table")).toInt(-1);
    if (table < int(ChangeNotice::Table::PlanDesigns) || table > int(ChangeNotice::Table::ProductNames))
        return std::nullopt;
    ChangeNotice notice{ChangeNotice::Table(table), planNo};
    for (const QJsonValue& key : object.value(QStringLiteral("keys")).toArray())
        notice.keys << qint64(key.toDouble());
    return notice;
}

// Compact JSON holds no line break of its own: the first one ends it.
QString firstLine(const QJsonDocument& document)
{
    return QString::fromUtf8(document.toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

} // namespace

QString ChangeNotice::textBeforePlan() const
{
    return firstLine(QJsonDocument(asObject(*this)));
}

QString ChangeNotice::toText() const
{
    return textBeforePlan() + planNo;
}

std::optional<ChangeNotice> ChangeNotice::fromText(const QString& text)
{
    const QList<ChangeNotice> all = allFromText(text);
    if (all.size() != 1)
        return std::nullopt;
    return all.first();
}

QString ChangeNotice::textBeforePlan(const QList<ChangeNotice>& notices)
{
    QJsonArray objects;
    for (const ChangeNotice& notice : notices)
        objects.append(asObject(notice));
    return firstLine(QJsonDocument(objects));
}

QList<ChangeNotice> ChangeNotice::allFromText(const QString& text)
{
    const qsizetype lineBreak = text.indexOf(QLatin1Char('\n'));
    if (lineBreak < 0)
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(text.left(lineBreak).toUtf8());
    const QString planNo = text.mid(lineBreak + 1);
    QList<QJsonObject> objects;
    if (document.isObject())
        objects << document.object();
    for (const QJsonValue& item : document.array())
        objects << item.toObject();
    QList<ChangeNotice> notices;
    for (const QJsonObject& object : objects)
        if (const auto notice = fromObject(object, planNo))
            notices << *notice;
    return notices;
}
