#include "TextRules.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cmath>
#include <limits>

namespace TextRules {

namespace {

bool isValBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isExponentMark(QChar c)
{
    return c == u'e' || c == u'E' || c == u'd' || c == u'D';
}

// Reads the leading number of a text, blanks skipped, into the plain form
// "-12.5e3" that the C locale converts; empty when the text holds no number.
class LeadingNumberReader {
public:
    explicit LeadingNumberReader(const QString& text) : text_(text) {}

    QByteArray read()
    {
        takeSign();
        int mantissaDigits = takeDigits();
        if (next() == u'.') {
            take();
            mantissaDigits += takeDigits();
        }
        if (mantissaDigits == 0)
            return {};
        if (isExponentMark(next()))
            takeExponent();
        return number_;
    }

private:
    // The next character that is not a blank, or a null character at the end.
    QChar next()
    {
        while (pos_ < text_.size() && isValBlank(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }

    void take()
    {
        number_ += text_[pos_].toLatin1();
        ++pos_;
    }

    void takeSign()
    {
        const QChar c = next();
        if (c == u'+' || c == u'-')
            take();
    }

    int takeDigits()
    {
        int count = 0;
        while (isAsciiDigit(next())) {
            take();
            ++count;
        }
        return count;
    }

    // An exponent counts only with at least one digit: "1e" and "1e+" are worth 1.
    void takeExponent()
    {
        const qsizetype mantissaEnd = number_.size();
        ++pos_;
        number_ += 'e';
        takeSign();
        if (takeDigits() == 0)
            number_.truncate(mantissaEnd);
    }

    const QString& text_;
    qsizetype pos_ = 0;
    QByteArray number_;
};

double roundHalfToEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

bool isBlankToTrim(QChar c)
{
    return c == u' ' || c == QChar(0x3000);
}

// A number as the program shows it: at most `significantDigits` digits, written
// without exponent between 0.0001 and 10^15 and as 1.5E+20 beyond.
QString numberText(double value, int significantDigits)
{
    if (!std::isfinite(value))
        return QString::number(value);
    const double rounded = QString::number(value, 'g', significantDigits).toDouble();
    if (rounded == 0.0)
        return QStringLiteral("0");
    const double magnitude = std::fabs(rounded);
    if (magnitude >= 1e-4 && magnitude < 1e15)
        return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
    return QString::number(rounded, 'e', QLocale::FloatingPointShortest).toUpper();
}

QString dateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/M/d"));
}

QString timeText(const QTime& time)
{
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString dateTimeText(const QDateTime& moment)
{
    if (!moment.isValid())
        return {};
    const QTime time = moment.time();
    if (time == QTime(0, 0))
        return dateText(moment.date());
    return dateText(moment.date()) + u' ' + timeText(time);
}

} // namespace

double Val(const QString& text)
{
    const QByteArray number = LeadingNumberReader(text).read();
    if (number.isEmpty())
        return 0.0;
    // QString::toDouble reads the C locale whatever the user's locale is, and gives
    // ±infinity on overflow (QByteArray::toDouble would give 0).
    const double value = QString::fromLatin1(number).toDouble();
    return value == 0.0 ? 0.0 : value; // no "-0"
}

qint64 counterValue(const QString& text)
{
    const double rounded = roundHalfToEven(Val(text));
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double limit = 9223372036854775808.0;
    if (rounded >= limit)
        return std::numeric_limits<qint64>::max();
    if (rounded < -limit)
        return std::numeric_limits<qint64>::min();
    return static_cast<qint64>(rounded);
}

QString trimBlanks(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlankToTrim(text[begin]))
        ++begin;
    while (end > begin && isBlankToTrim(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

QString joinedText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return dateText(value.toDate());
    case QMetaType::QDateTime:
        return dateTimeText(value.toDateTime());
    case QMetaType::QTime:
        return timeText(value.toTime());
    case QMetaType::Bool:
        // A yes/no field reads as the words the program has always shown for it.
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
        return numberText(value.toDouble(), 15);
    case QMetaType::Float:
        return numberText(value.toFloat(), 7);
    default:
        return value.toString();
    }
}

QString trimmedText(const QVariant& value)
{
    return trimBlanks(joinedText(value));
}

QString positionText(int position, int count)
{
    if (count <= 0)
        return QStringLiteral("0/0");
    const int shown = position < 1 ? 0 : position;
    return QString::number(shown) + u'/' + QString::number(count);
}

QString fieldText(const QVariant& value, int declaredSize)
{
    return trimBlanks(joinedText(value).left(declaredSize));
}

namespace {

bool isContinuation(uchar byte, uchar low = 0x80, uchar high = 0xBF)
{
    return byte >= low && byte <= high;
}

// The UTF-16 units of well-formed UTF-8 (a character beyond U+FFFF takes two), or -1 for
// bytes that are not: what QString::fromUtf8 would replace is never taken as it is.
qsizetype utf16Length(QByteArrayView utf8)
{
    const auto* bytes = reinterpret_cast<const uchar*>(utf8.data());
    const qsizetype size = utf8.size();
    qsizetype units = 0;
    qsizetype i = 0;
    while (i < size) {
        const uchar lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            ++units;
            continue;
        }
        // The second byte's range excludes overlong forms, surrogates and code points past U+10FFFF.
        int followers = 0;
        uchar low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            followers = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            followers = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            followers = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return -1;
        }
        if (i + followers >= size)   // cut short
            return -1;
        if (!isContinuation(bytes[i + 1], low, high))
            return -1;
        for (int k = 2; k <= followers; ++k)
            if (!isContinuation(bytes[i + k]))
                return -1;
        i += followers + 1;
        units += followers == 3 ? 2 : 1;
    }
    return units;
}

// A blank trimBlanks would take off either end: the space or U+3000 (see isBlankToTrim).
bool hasBlankAtAnEnd(QByteArrayView utf8)
{
    const QByteArrayView ideographicSpace("\xE3\x80\x80");
    return utf8.startsWith(' ') || utf8.endsWith(' ') || utf8.startsWith(ideographicSpace)
        || utf8.endsWith(ideographicSpace);
}

} // namespace

bool fieldTextKeepsUtf8(QByteArrayView utf8, int declaredSize)
{
    if (utf8.isEmpty() || utf8.startsWith("\xEF\xBB\xBF") || hasBlankAtAnEnd(utf8))
        return false;
    const qsizetype units = utf16Length(utf8);
    return units >= 0 && units <= declaredSize;
}

} // namespace TextRules
