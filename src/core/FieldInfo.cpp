#include "FieldInfo.h"

#include "DbError.h"
#include "SqlTokens.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace {

// Jet reports a memo field's defined size as this number of characters.
constexpr int LongTextSize = 536870910;
constexpr int DefaultTextSize = 255;

int sizeInParentheses(const QString& type)
{
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)"));
    const auto match = size.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString typeMismatch(const QString& field)
{
    return QStringLiteral("字段“%1”的数据类型不匹配。").arg(field);
}

} // namespace

QVariant FieldInfo::defaultFromDeclaration(const QString& declared)
{
    const QString text = declared.trimmed();
    if (text.startsWith(QLatin1Char('\'')))
        return SqlTokens::literalValue(text);
    bool whole = false;
    const qint64 number = text.toLongLong(&whole);
    if (whole)
        return number;
    bool ok = false;
    const double real = text.toDouble(&ok);
    return ok ? QVariant(real) : QVariant();
}

FieldInfo FieldInfo::fromDeclaration(const QString& name, const QString& declaredType)
{
    FieldInfo f;
    f.name = name;
    f.declaredType = declaredType;
    const QString type = declaredType.toUpper();
    if (type.contains(QLatin1String("LONGTEXT")) || type.contains(QLatin1String("MEMO"))
        || type.contains(QLatin1String("CLOB"))) {
        f.kind = Kind::LongText;
        f.declaredSize = LongTextSize;
    } else if (type.contains(QLatin1String("CHAR")) || type.contains(QLatin1String("TEXT"))) {
        f.kind = Kind::Text;
        const int size = sizeInParentheses(type);
        f.declaredSize = size > 0 ? size : DefaultTextSize;
    } else if (type.contains(QLatin1String("INT"))) {
        f.kind = Kind::Integer;
        f.declaredSize = type.contains(QLatin1String("BIG")) ? 8 : 4;
    } else if (type.contains(QLatin1String("DATE")) || type.contains(QLatin1String("TIME"))) {
        f.kind = Kind::Date;
        f.declaredSize = 8;
    } else if (type.contains(QLatin1String("REAL")) || type.contains(QLatin1String("FLOA"))
               || type.contains(QLatin1String("DOUB")) || type.contains(QLatin1String("NUM"))
               || type.contains(QLatin1String("DEC")) || type.contains(QLatin1String("CURRENCY"))) {
        f.kind = Kind::Real;
        f.declaredSize = 8;
    } else if (type.contains(QLatin1String("BLOB")) || type.contains(QLatin1String("BINARY"))) {
        f.kind = Kind::Binary;
        f.declaredSize = sizeInParentheses(type);
    }
    return f;
}

QDateTime parseDateText(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^\\s*(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
        "(?:[ T]+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?\\s*$"));
    const auto m = pattern.match(text);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return {};
    QTime time(0, 0);
    if (!m.captured(4).isEmpty()) {
        time = QTime(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
        if (!time.isValid())
            return {};
    }
    return QDateTime(date, time);
}

static QVariant storedDate(const QVariant& value, const QString& field)
{
    QDateTime moment;
    if (value.typeId() == QMetaType::QDate)
        moment = QDateTime(value.toDate(), QTime(0, 0));
    else if (value.typeId() == QMetaType::QDateTime)
        moment = value.toDateTime();
    else
        moment = parseDateText(value.toString());
    if (!moment.isValid())
        throw DbError(typeMismatch(field), StoreFailure::ValueRefused);
    if (moment.time() == QTime(0, 0))
        return moment.date().toString(Qt::ISODate);
    return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

static QVariant storedNumber(const QVariant& value, const QString& field, bool whole)
{
    bool ok = false;
    double number = 0;
    if (value.typeId() == QMetaType::QString)
        number = value.toString().trimmed().toDouble(&ok);
    else
        number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        throw DbError(typeMismatch(field), StoreFailure::ValueRefused);
    if (!whole)
        return number;
    // Whole-number fields round half to even, as the database always has.
    const double rounded = std::nearbyint(number);
    if (std::fabs(rounded) > 9.2e18)
        throw DbError(QStringLiteral("字段“%1”的数值超出范围。").arg(field), StoreFailure::ValueRefused);
    return qint64(rounded);
}

QVariant FieldInfo::toStored(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (kind) {
    case Kind::Text:
    case Kind::LongText: {
        QString text = value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d"))
                                                           : value.toString();
        if (text.size() > declaredSize)
            throw DbError(QStringLiteral("字段“%1”太小，不能接受所要添加的数据（最多 %2 个字符）。")
                              .arg(name)
                              .arg(declaredSize), StoreFailure::ValueRefused);
        return text;
    }
    case Kind::Integer: {
        const QVariant number = storedNumber(value, name, true);
        // A whole-number field that starts at 0 counts responses: a count below 0 is no count.
        if (isCounter() && number.toLongLong() < 0)
            throw DbError(QStringLiteral("字段“%1”是计数，不能小于 0。").arg(name), StoreFailure::ValueRefused);
        return number;
    }
    case Kind::Real:
        return storedNumber(value, name, false);
    case Kind::Date:
        return storedDate(value, name);
    case Kind::Binary:
    case Kind::Any:
        return value;
    }
    return value;
}

QVariant FieldInfo::fromStored(const QVariant& stored) const
{
    if (kind != Kind::Date || stored.typeId() != QMetaType::QString)
        return stored;
    const QString text = stored.toString();
    if (text.size() == 10) {   // the form dates are stored in; read without the general parser
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            return date;
    }
    const QDateTime moment = parseDateText(text);
    if (!moment.isValid())
        return stored;
    if (moment.time() == QTime(0, 0))
        return moment.date();
    return moment;
}
