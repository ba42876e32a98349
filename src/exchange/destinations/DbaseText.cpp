#include "DbaseText.h"

#include <QStringDecoder>

#include <limits>
#include <vector>

namespace DbaseText {

namespace {

constexpr char Replacement = '?';

// The code page 936 bytes of every character of the Basic Multilingual Plane it has
// (lead byte × 256 + trail byte, or the one byte), 0 for the others. Read off once by
// decoding every two-byte code of the code page, so each character written comes back
// the same to a reader that trusts the declared code page.
const std::vector<quint16>& gbkTable()
{
    static const std::vector<quint16> table = [] {
        std::vector<quint16> codes(0x10000, 0);
        QStringDecoder decoder("GBK");
        const auto learn = [&](const QByteArray& bytes) {
            const QString decoded = decoder.decode(bytes);
            if (decoded.size() == 1 && decoded[0] != QChar::ReplacementCharacter && codes[decoded[0].unicode()] == 0)
                codes[decoded[0].unicode()] = quint16(bytes.size() == 1 ? uchar(bytes[0]) : uchar(bytes[0]) << 8 | uchar(bytes[1]));
        };
        learn(QByteArray(1, char(0x80)));   // the euro sign
        QByteArray pair(2, '\0');
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                pair[0] = char(lead);
                pair[1] = char(trail);
                if (trail != 0x7F)
                    learn(pair);
            }
        }
        return codes;
    }();
    return table;
}

} // namespace

Encoded encode(const QString& text, int maxBytes)
{
    const std::vector<quint16>& gbk = gbkTable();
    const qsizetype limit = maxBytes < 0 ? std::numeric_limits<qsizetype>::max() : maxBytes;
    Encoded out;
    out.bytes.reserve(std::min(limit, text.size() * 2));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const quint16 code = c < 0x80 ? c : gbk[c];
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
            ++i;   // one character outside the plane, outside GBK too
        const bool twoBytes = code > 0xFF;
        const bool unknown = code == 0 && c != 0;
        if (out.bytes.size() + (twoBytes ? 2 : 1) > limit) {
            out.shortened = true;
            break;
        }
        if (twoBytes) {
            out.bytes += char(code >> 8);
            out.bytes += char(code & 0xFF);
        } else if (unknown) {
            out.bytes += Replacement;
            out.replaced = true;
        } else {
            out.bytes += char(code);
        }
    }
    return out;
}

} // namespace DbaseText
