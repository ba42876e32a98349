#include "ServerAddress.h"

#include <QRegularExpression>

namespace ServerAddress {

namespace {

struct Parts {
    qsizetype userStart = -1;   // where "user[:password]@" begins; -1 when there is none
    qsizetype passwordStart = -1;
    qsizetype passwordEnd = -1;   // the "@" after it
    qsizetype queryStart = -1;    // the "?"; -1 when there is none
};

// The parts of "scheme://[user[:password]@]host…[/db][?query]". The user part reaches to the
// last "@" before the query, so a stray "@" or "/" in a password still counts as part of it.
Parts partsOf(const QString& address)
{
    Parts parts;
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    if (scheme < 0)
        return parts;
    const qsizetype start = scheme + 3;
    qsizetype end = address.indexOf(QLatin1Char('?'), start);
    if (end < 0)
        end = address.size();
    const qsizetype at = end > start ? address.lastIndexOf(QLatin1Char('@'), end - 1) : -1;
    if (at >= start) {
        parts.userStart = start;
        const qsizetype colon = address.indexOf(QLatin1Char(':'), start);
        if (colon >= 0 && colon < at) {
            parts.passwordStart = colon + 1;
            parts.passwordEnd = at;
        }
        end = address.indexOf(QLatin1Char('?'), at);
    }
    parts.queryStart = end < address.size() ? end : -1;
    return parts;
}

bool isPasswordItem(const QString& item)
{
    const QString key = item.section(QLatin1Char('='), 0, 0);
    return QString::fromUtf8(QByteArray::fromPercentEncoding(key.toUtf8())).trimmed() == QLatin1String("password");
}

} // namespace

QString withoutPassword(const QString& address)
{
    const Parts parts = partsOf(address);
    QString result = address;
    if (parts.queryStart >= 0) {
        QStringList kept;
        for (const QString& item : address.mid(parts.queryStart + 1).split(QLatin1Char('&')))
            if (!isPasswordItem(item))
                kept << item;
        result = address.left(parts.queryStart);
        if (!kept.isEmpty())
            result += QLatin1Char('?') + kept.join(QLatin1Char('&'));
    }
    if (parts.passwordStart >= 0)
        result.remove(parts.passwordStart - 1, parts.passwordEnd - parts.passwordStart + 1);
    return result;
}

QStringList passwordsIn(const QString& address)
{
    QStringList written;
    const Parts parts = partsOf(address);
    if (parts.passwordStart >= 0)
        written << address.mid(parts.passwordStart, parts.passwordEnd - parts.passwordStart);
    if (parts.queryStart >= 0)
        for (const QString& item : address.mid(parts.queryStart + 1).split(QLatin1Char('&')))
            if (isPasswordItem(item))
                written << item.section(QLatin1Char('='), 1);
    QStringList passwords;
    for (const QString& password : std::as_const(written)) {
        if (password.isEmpty())
            continue;
        passwords << password;
        const QString decoded = QString::fromUtf8(QByteArray::fromPercentEncoding(password.toUtf8()));
        if (decoded != password && !decoded.isEmpty())
            passwords << decoded;
    }
    return passwords;
}

QString withoutPasswordsOf(const QString& address, const QString& text)
{
    const QStringList passwords = passwordsIn(address);
    const auto showsOne = [&](const QString& part) {
        for (const QString& password : passwords)
            if (part.contains(password))
                return true;
        return false;
    };
    if (!showsOne(text))
        return text;
    // libpq quotes what it could not read: the quoted parts that show a password go.
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*\""));
    QString result;
    qsizetype from = 0;
    for (auto match = quoted.globalMatch(text); match.hasNext();) {
        const auto part = match.next();
        result += text.mid(from, part.capturedStart() - from);
        result += showsOne(part.captured()) ? QStringLiteral("\"…\"") : part.captured();
        from = part.capturedEnd();
    }
    result += text.mid(from);
    if (showsOne(result))
        for (const QString& password : passwords)
            result.replace(password, QStringLiteral("…"));
    return result;
}

} // namespace ServerAddress
