#include "SourceTextDecoder.h"

namespace {

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

SourceTextDecoder::SourceTextDecoder(const QString& codePage)
    : utf8_(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless),
      gb18030_("GB18030", QStringDecoder::Flag::Stateless)
{
    if (!codePage.isEmpty()) {
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
    case 0x01: return QStringLiteral("IBM437");
    case 0x02: return QStringLiteral("IBM850");
    case 0x03: case 0x57: case 0x58: case 0x59: return QStringLiteral("windows-1252");
    case 0x04: return QStringLiteral("macintosh");
    case 0x64: return QStringLiteral("IBM852");
    case 0x65: return QStringLiteral("IBM866");
    case 0x66: return QStringLiteral("IBM865");
    case 0x67: return QStringLiteral("IBM861");
    case 0x6A: return QStringLiteral("IBM737");
    case 0x6B: return QStringLiteral("IBM857");
    case 0x13: case 0x7B: return QStringLiteral("Shift_JIS");
    case 0x4D: case 0x7A: return QStringLiteral("GB18030");   // code page 936; GB18030 reads all of it
    case 0x4E: case 0x79: return QStringLiteral("windows-949");
    case 0x4F: case 0x78: return QStringLiteral("Big5");
    case 0x50: case 0x7C: return QStringLiteral("windows-874");
    case 0x7D: return QStringLiteral("windows-1255");
    case 0x7E: return QStringLiteral("windows-1256");
    case 0xC8: return QStringLiteral("windows-1250");
    case 0x26: case 0xC9: return QStringLiteral("windows-1251");
    case 0xCA: return QStringLiteral("windows-1254");
    case 0xCB: return QStringLiteral("windows-1253");
    case 0xCC: return QStringLiteral("windows-1257");
    default: return {};
    }
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
