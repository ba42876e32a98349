#include "ExcelCells.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace ExcelCells {

namespace {

constexpr double LargestExactWhole = 9007199254740992.0;   // 2^53
constexpr int MaxColumns = 16384;
constexpr qint64 MillisecondsPerDay = 86400000;

} // namespace

QVariant number(double value)
{
    if (!std::isfinite(value))
        return {};
    if (value == std::floor(value) && std::fabs(value) < LargestExactWhole)
        return qint64(value);
    return value;
}

QVariant dateFromSerial(double serial, bool from1904)
{
    if (!std::isfinite(serial) || serial < 0 || serial > 2958465.0)   // up to 9999-12-31
        return {};
    qint64 milliseconds = qint64(std::llround(serial * MillisecondsPerDay));
    qint64 days = milliseconds / MillisecondsPerDay;
    milliseconds %= MillisecondsPerDay;
    if (!from1904 && days < 1)
        return QTime::fromMSecsSinceStartOfDay(int(milliseconds)).toString(QStringLiteral("HH:mm:ss"));
    // Excel counts a 29 February 1900 that never was; serials before it are one day early.
    if (!from1904 && days < 61)
        ++days;
    const QDate base = from1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    const QDate day = base.addDays(days);
    if (milliseconds == 0)
        return day;
    return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(milliseconds)));
}

bool isDateFormat(int formatId, const QString& formatCode)
{
    if ((formatId >= 14 && formatId <= 22) || (formatId >= 27 && formatId <= 36)
        || (formatId >= 45 && formatId <= 47) || (formatId >= 50 && formatId <= 58))
        return true;
    if (formatCode.isEmpty())
        return false;
    // Only the first section (positive numbers) counts; quoted texts, [colours], [$-locale]
    // and escaped characters are no date parts.
    static const QRegularExpression noise(QStringLiteral("\"[^\"]*\"|\\\\.|_.|\\*.|\\[(?![hms]+\\])[^\\]]*\\]"));
    QString code = formatCode.section(QLatin1Char(';'), 0, 0);
    code.remove(noise);
    code = code.toLower();
    if (code.contains(QLatin1String("general")))
        return false;
    static const QRegularExpression dateParts(QStringLiteral("[ymdhs]|\\[h+\\]"));
    return code.contains(dateParts);
}

QString durationFormat(int formatId, const QString& formatCode)
{
    if (formatId == 46)
        return QStringLiteral("[h]:mm:ss");
    const QString code = formatCode.section(QLatin1Char(';'), 0, 0);
    static const QRegularExpression elapsed(QStringLiteral("\\[(h+|m+|s+)\\]"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*\""));
    return QString(code).remove(quoted).contains(elapsed) ? code : QString();
}

namespace {

QString padded(qint64 value, qsizetype letters)
{
    return QString::number(value).rightJustified(std::max<qsizetype>(letters, 1), QLatin1Char('0'));
}

} // namespace

QString durationText(double days, const QString& format)
{
    if (!std::isfinite(days) || std::fabs(days) > 1e9)
        return {};
    const qint64 totalMs = qint64(std::llround(std::fabs(days) * MillisecondsPerDay));
    // Without shown fractions the seconds are rounded, as Excel shows them.
    const bool showsFraction = format.contains(QLatin1String(".0"));
    const qint64 totalSeconds = showsFraction ? totalMs / 1000 : qint64(std::llround(std::fabs(days) * 86400.0));
    QString text = days < 0 && totalMs > 0 ? QStringLiteral("-") : QString();
    const QString code = format;
    for (qsizetype i = 0; i < code.size();) {
        const QChar c = code.at(i);
        const QChar lower = c.toLower();
        auto runOf = [&](qsizetype from, QChar letter) {
            qsizetype end = from;
            while (end < code.size() && code.at(end).toLower() == letter)
                ++end;
            return end - from;
        };
        if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                break;
            const QString inside = code.mid(i + 1, close - i - 1).toLower();
            const qsizetype letters = inside.size();
            if (!inside.isEmpty() && inside.count(inside.at(0)) == letters) {
                if (inside.at(0) == QLatin1Char('h'))
                    text += padded(totalSeconds / 3600, letters);
                else if (inside.at(0) == QLatin1Char('m'))
                    text += padded(totalSeconds / 60, letters);
                else if (inside.at(0) == QLatin1Char('s'))
                    text += padded(totalSeconds, letters);
            }
            i = close + 1;   // colours and locales show nothing
        } else if (lower == QLatin1Char('h') || lower == QLatin1Char('m') || lower == QLatin1Char('s')) {
            const qsizetype letters = runOf(i, lower);
            const qint64 part = lower == QLatin1Char('h') ? totalSeconds / 3600 % 24
                              : lower == QLatin1Char('m') ? totalSeconds / 60 % 60
                                                          : totalSeconds % 60;
            text += padded(part, letters);
            i += letters;
        } else if (c == QLatin1Char('.') && i + 1 < code.size() && code.at(i + 1) == QLatin1Char('0')) {
            const qsizetype digits = std::min<qsizetype>(runOf(i + 1, QLatin1Char('0')), 3);
            text += QLatin1Char('.') + padded(totalMs % 1000, 3).left(digits);
            i += 1 + runOf(i + 1, QLatin1Char('0'));
        } else if (c == QLatin1Char('"')) {
            const qsizetype close = code.indexOf(QLatin1Char('"'), i + 1);
            text += code.mid(i + 1, close < 0 ? -1 : close - i - 1);
            i = close < 0 ? code.size() : close + 1;
        } else if (c == QLatin1Char('\\') && i + 1 < code.size()) {
            text += code.at(i + 1);
            i += 2;
        } else if ((c == QLatin1Char('_') || c == QLatin1Char('*')) && i + 1 < code.size()) {
            i += 2;   // a space as wide as a character, or a fill: no character of the value
        } else {
            text += c;
            ++i;
        }
    }
    return text;
}

int columnOfReference(const QString& reference)
{
    return columnOfReference(QByteArrayView(reference.toLatin1()));
}

int columnOfReference(QByteArrayView reference)
{
    int column = 0;
    int letters = 0;
    for (const char c : reference) {
        if (c >= 'A' && c <= 'Z')
            column = column * 26 + (c - 'A' + 1);
        else if (c >= 'a' && c <= 'z')
            column = column * 26 + (c - 'a' + 1);
        else
            break;
        if (++letters > 3)
            return -1;
    }
    if (letters == 0 || column > MaxColumns)
        return -1;
    return column - 1;
}

QString unescapeOoxml(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString result;
    qsizetype last = 0;
    auto matches = escape.globalMatch(text);
    while (matches.hasNext()) {
        const auto match = matches.next();
        result += text.mid(last, match.capturedStart() - last);
        result += QChar(char16_t(match.captured(1).toUShort(nullptr, 16)));
        last = match.capturedEnd();
    }
    result += text.mid(last);
    return result;
}

} // namespace ExcelCells
