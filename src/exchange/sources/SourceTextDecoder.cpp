#include "SourceTextDecoder.h"

namespace {

// Polish (Mazovia, code page 620) and Czech (Kamenický, code page 895) DOS code pages: code
// page 437 with these letters in 0x80 to 0xAF. No converter of the system knows them.
constexpr char16_t MazoviaLetters[48] = {
    u'Ç', u'ü', u'é', u'â', u'ä', u'à', u'ą', u'ç', u'ê', u'ë', u'è', u'ï', u'î', u'ć', u'Ä', u'Ą',
    u'Ę', u'ę', u'ł', u'ô', u'ö', u'Ć', u'û', u'ù', u'Ś', u'Ö', u'Ü', u'¢', u'Ł', u'¥', u'ś', u'ƒ',
    u'Ź', u'Ż', u'ó', u'Ó', u'ń', u'Ń', u'ź', u'ż', u'¿', u'⌐', u'¬', u'½', u'¼', u'¡', u'«', u'»'};
constexpr char16_t KamenickyLetters[48] = {
    u'Č', u'ü', u'é', u'ď', u'ä', u'Ď', u'Ť', u'č', u'ě', u'Ě', u'Ĺ', u'Í', u'ľ', u'ĺ', u'Ä', u'Á',
    u'É', u'ž', u'Ž', u'ô', u'ö', u'Ó', u'ů', u'Ú', u'ý', u'Ö', u'Ü', u'Š', u'Ľ', u'Ý', u'Ř', u'ť',
    u'á', u'í', u'ó', u'ú', u'ň', u'Ň', u'Ů', u'Ô', u'š', u'ř', u'ŕ', u'Ŕ', u'¼', u'§', u'«', u'»'};

// Every byte's character in code page 437, with the 0x80 to 0xAF letters replaced.
std::vector<char16_t> codePage437With(const char16_t (&letters)[48])
{
    QByteArray bytes(256, '\0');
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    const QString base = QStringDecoder("IBM437").decode(bytes);
    std::vector<char16_t> table(256);
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = base.size() == 256 ? base.at(b).unicode() : char16_t(b < 0x80 ? b : 0xFFFD);
    for (int i = 0; i < 48; ++i)
        table[size_t(0x80 + i)] = letters[i];
    return table;
}

} // namespace

bool SourceTextDecoder::isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

QString SourceTextDecoder::decodeByTable(QByteArrayView bytes) const
{
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(table_[static_cast<unsigned char>(bytes[i])]);
    return text;
}

SourceTextDecoder::SourceTextDecoder(const QString& codePage)
    : utf8_(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless),
      gb18030_("GB18030", QStringDecoder::Flag::Stateless)
{
    if (codePage == QLatin1String("Mazovia")) {
        table_ = codePage437With(MazoviaLetters);
    } else if (codePage == QLatin1String("Kamenicky")) {
        table_ = codePage437With(KamenickyLetters);
    } else if (!codePage.isEmpty()) {
        named_ = std::make_unique<QStringDecoder>(codePage.toLatin1().constData(), QStringDecoder::Flag::Stateless);
        if (!named_->isValid())
            named_.reset();
    }
    if (!gb18030_.isValid())
        gb18030_ = QStringDecoder(QStringDecoder::System, QStringDecoder::Flag::Stateless);
}

QString SourceTextDecoder::decode(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (!table_.empty())
        return decodeByTable(bytes);
    if (named_)
        return named_->decode(bytes);
    QString text = utf8_.decode(bytes);
    if (!utf8_.hasError())
        return text;
    utf8_.resetState();
    return gb18030_.decode(bytes);
}

QString SourceTextDecoder::codePageOfDbfByte(unsigned char languageByte)
{
    switch (languageByte) {
    // The national DOS code pages of dBase IV and FoxPro: 437, 850, 852, 860, 863, 865, 866.
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18: case 0x19: case 0x1B:
        return QStringLiteral("IBM437");
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A: case 0x1D: case 0x25: case 0x37:
        return QStringLiteral("IBM850");
    case 0x1F: case 0x22: case 0x23: case 0x40: case 0x64: case 0x87: return QStringLiteral("IBM852");
    case 0x24: return QStringLiteral("IBM860");
    case 0x1C: case 0x6C: return QStringLiteral("IBM863");
    case 0x08: case 0x17: case 0x66: return QStringLiteral("IBM865");
    case 0x65: return QStringLiteral("IBM866");
    case 0x67: return QStringLiteral("IBM861");
    case 0x68: return QStringLiteral("Kamenicky");
    case 0x69: return QStringLiteral("Mazovia");
    case 0x6A: case 0x86: return QStringLiteral("IBM737");
    case 0x6B: case 0x88: return QStringLiteral("IBM857");
    case 0x03: case 0x57: case 0x58: case 0x59: return QStringLiteral("windows-1252");
    case 0x04: return QStringLiteral("macintosh");
    case 0x96: return QStringLiteral("x-mac-cyrillic");
    case 0x97: return QStringLiteral("x-mac-centraleurroman");
    case 0x98: return QStringLiteral("x-mac-greek");
    case 0x13: case 0x7B: return QStringLiteral("Shift_JIS");
    case 0x4D: case 0x7A: return QStringLiteral("GB18030");   // code page 936; GB18030 reads all of it
    case 0x4E: case 0x79: return QStringLiteral("windows-949");
    case 0x4F: case 0x78: return QStringLiteral("Big5");
    case 0x50: case 0x7C: return QStringLiteral("windows-874");
    case 0x7D: return QStringLiteral("windows-1255");
    case 0x7E: return QStringLiteral("windows-1256");
    case 0xC8: return QStringLiteral("windows-1250");
    case 0x26: return QStringLiteral("IBM866");
    case 0xC9: return QStringLiteral("windows-1251");
    case 0xCA: return QStringLiteral("windows-1254");
    case 0xCB: return QStringLiteral("windows-1253");
    case 0xCC: return QStringLiteral("windows-1257");
    default: return {};
    }
}

bool SourceTextDecoder::isUnknownDbfByte(unsigned char languageByte)
{
    if (languageByte == 0)
        return false;
    const QString name = codePageOfDbfByte(languageByte);
    if (name == QLatin1String("Mazovia") || name == QLatin1String("Kamenicky"))
        return false;
    return name.isEmpty() || !QStringDecoder(name.toLatin1().constData()).isValid();
}

QString SourceTextDecoder::codePageOfWindowsNumber(int number)
{
    switch (number) {
    case 437: case 737: case 775: case 850: case 852: case 855: case 857: case 860: case 861: case 862:
    case 863: case 864: case 865: case 866: case 869:
        return QStringLiteral("IBM%1").arg(number);
    case 874: return QStringLiteral("windows-874");
    case 932: return QStringLiteral("Shift_JIS");
    case 936: return QStringLiteral("GB18030");   // GB18030 reads all of code page 936
    case 949: return QStringLiteral("windows-949");
    case 950: return QStringLiteral("Big5");
    case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258:
        return QStringLiteral("windows-%1").arg(number);
    case 10000: case 32768: return QStringLiteral("macintosh");
    default: return QStringLiteral("windows-1252");
    }
}
