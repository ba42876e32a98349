#include "FastXmlReader.h"

namespace {

constexpr qint64 ChunkSize = 256 * 1024;
constexpr qsizetype MaxTokenSize = 64 * 1024 * 1024;   // one tag or text longer than this is damage

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView localName(QByteArrayView qualified)
{
    const qsizetype colon = qualified.lastIndexOf(':');
    return colon < 0 ? qualified : qualified.sliced(colon + 1);
}

// Some writers store every Chinese character as a reference (&#33829;): encoded here directly,
// without a string made for each one.
void appendUtf8(QByteArray& out, uint codePoint)
{
    char bytes[4];
    qsizetype count = 0;
    if (codePoint < 0x80) {
        bytes[count++] = char(codePoint);
    } else if (codePoint < 0x800) {
        bytes[count++] = char(0xC0 | (codePoint >> 6));
        bytes[count++] = char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes[count++] = char(0xE0 | (codePoint >> 12));
        bytes[count++] = char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[count++] = char(0x80 | (codePoint & 0x3F));
    } else {
        bytes[count++] = char(0xF0 | (codePoint >> 18));
        bytes[count++] = char(0x80 | ((codePoint >> 12) & 0x3F));
        bytes[count++] = char(0x80 | ((codePoint >> 6) & 0x3F));
        bytes[count++] = char(0x80 | (codePoint & 0x3F));
    }
    out.append(bytes, count);
}

// The number of a character reference, decimal or hexadecimal; 0 when it is none.
uint referencedCodePoint(QByteArrayView digits, int base)
{
    if (digits.isEmpty() || digits.size() > 8)
        return 0;
    uint value = 0;
    for (const char c : digits) {
        uint digit = 0;
        if (c >= '0' && c <= '9')
            digit = uint(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = uint(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = uint(c - 'A' + 10);
        else
            return 0;
        value = value * uint(base) + digit;
    }
    return value;
}

} // namespace

FastXmlReader::FastXmlReader(QIODevice* device) : device_(device) {}

bool FastXmlReader::fill()
{
    if (atStreamEnd_)
        return false;
    if (pos_ > 0) {
        buffer_.remove(0, pos_);
        pos_ = 0;
    }
    if (buffer_.size() > MaxTokenSize)
        return false;
    const qsizetype had = buffer_.size();
    buffer_.resize(had + ChunkSize);
    const qint64 got = device_->read(buffer_.data() + had, ChunkSize);
    buffer_.resize(had + std::max<qint64>(got, 0));
    if (got <= 0) {
        atStreamEnd_ = true;
        return false;
    }
    return true;
}

qsizetype FastXmlReader::find(char c, qsizetype from)
{
    for (;;) {
        const qsizetype at = buffer_.indexOf(c, pos_ + from);
        if (at >= 0)
            return at;
        from = buffer_.size() - pos_;
        if (!fill())
            return -1;
    }
}

qsizetype FastXmlReader::find(QByteArrayView what, qsizetype from)
{
    for (;;) {
        const qsizetype at = buffer_.indexOf(what, pos_ + from);
        if (at >= 0)
            return at;
        from = std::max<qsizetype>(0, buffer_.size() - pos_ - what.size());
        if (!fill())
            return -1;
    }
}

FastXmlReader::Token FastXmlReader::fail()
{
    error_ = true;
    return Token::Error;
}

FastXmlReader::Token FastXmlReader::next()
{
    if (error_)
        return Token::Error;
    if (pendingEnd_) {
        pendingEnd_ = false;
        return Token::EndElement;
    }
    for (;;) {
        if (pos_ >= buffer_.size() && !fill())
            return Token::End;
        if (buffer_.at(pos_) == '<') {
            const Token token = readMarkup();
            if (token == Token::Text && text_.isEmpty())
                continue;   // an empty CDATA section
            if (token != Token::End || error_)
                return error_ ? Token::Error : token;
            continue;       // a comment or processing instruction: nothing to hand out
        }
        // Text up to the next markup (or the end of the stream).
        qsizetype end = find('<', 0);
        if (end < 0)
            end = buffer_.size();
        const QByteArrayView raw(buffer_.constData() + pos_, end - pos_);
        pos_ = end;
        text_.resize(0);
        if (!decodeEntities(raw, text_))
            return fail();
        return Token::Text;
    }
}

// Reads the markup at pos_. Answers End for markup that hands nothing out.
FastXmlReader::Token FastXmlReader::readMarkup()
{
    if (buffer_.size() - pos_ < 9)
        fill();
    const char second = pos_ + 1 < buffer_.size() ? buffer_.at(pos_ + 1) : '\0';
    if (second == '!' || second == '?') {
        const QByteArrayView rest(buffer_.constData() + pos_, buffer_.size() - pos_);
        if (rest.startsWith("<!--")) {
            const qsizetype end = find("-->", 4);
            if (end < 0)
                return fail();
            pos_ = end + 3;
            return Token::End;
        }
        if (rest.startsWith("<![CDATA[")) {
            const qsizetype end = find("]]>", 9);
            if (end < 0)
                return fail();
            text_ = QByteArray(buffer_.constData() + pos_ + 9, end - pos_ - 9);
            pos_ = end + 3;
            return Token::Text;
        }
        const qsizetype end = find('>', 2);
        if (end < 0)
            return fail();
        pos_ = end + 1;
        return Token::End;
    }
    // A tag ends at the first '>' outside quotes; attribute values may hold '>'.
    qsizetype at = pos_ + 1;
    char quote = 0;
    for (;;) {
        if (at >= buffer_.size()) {
            const qsizetype offset = at - pos_;
            if (!fill())
                return fail();
            at = pos_ + offset;
            continue;
        }
        const char c = buffer_.at(at);
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            break;
        }
        if (at - pos_ > MaxTokenSize)
            return fail();
        ++at;
    }
    return readTag(at);
}

FastXmlReader::Token FastXmlReader::readTag(qsizetype end)
{
    const bool closing = buffer_.at(pos_ + 1) == '/';
    const bool selfClosing = !closing && buffer_.at(end - 1) == '/';
    const qsizetype from = pos_ + (closing ? 2 : 1);
    tag_ = QByteArrayView(buffer_.constData() + from, end - from - (selfClosing ? 1 : 0));
    pos_ = end + 1;
    qsizetype nameEnd = 0;
    while (nameEnd < tag_.size() && !isSpace(tag_.at(nameEnd)))
        ++nameEnd;
    if (nameEnd == 0)
        return fail();
    name_ = localName(tag_.first(nameEnd));
    if (closing)
        return Token::EndElement;
    pendingEnd_ = selfClosing;
    return Token::StartElement;
}

QByteArray FastXmlReader::attribute(QByteArrayView wanted) const
{
    const QByteArrayView raw = rawAttribute(wanted);
    QByteArray value;
    if (!raw.isEmpty())
        decodeEntities(raw, value);
    return value;
}

QByteArrayView FastXmlReader::rawAttribute(QByteArrayView wanted) const
{
    qsizetype at = 0;
    const qsizetype size = tag_.size();
    while (at < size && !isSpace(tag_.at(at)))
        ++at;   // the element's name
    while (at < size) {
        while (at < size && isSpace(tag_.at(at)))
            ++at;
        const qsizetype nameStart = at;
        while (at < size && tag_.at(at) != '=' && !isSpace(tag_.at(at)))
            ++at;
        const QByteArrayView attributeName(tag_.constData() + nameStart, at - nameStart);
        while (at < size && (isSpace(tag_.at(at)) || tag_.at(at) == '='))
            ++at;
        if (at >= size || (tag_.at(at) != '"' && tag_.at(at) != '\''))
            return {};
        const char quote = tag_.at(at++);
        const qsizetype valueStart = at;
        while (at < size && tag_.at(at) != quote)
            ++at;
        if (localName(attributeName) == wanted)
            return QByteArrayView(tag_.constData() + valueStart, at - valueStart);
        ++at;
    }
    return {};
}

bool FastXmlReader::decodeEntities(QByteArrayView raw, QByteArray& out)
{
    qsizetype amp = raw.indexOf('&');
    if (amp < 0) {
        out.append(raw);
        return true;
    }
    out.reserve(out.size() + raw.size());   // the decoded text is never longer
    qsizetype from = 0;
    while (amp >= 0) {
        out.append(raw.sliced(from, amp - from));
        const qsizetype semicolon = raw.indexOf(';', amp);
        if (semicolon < 0 || semicolon - amp > 12)
            return false;
        const QByteArrayView entity = raw.sliced(amp + 1, semicolon - amp - 1);
        if (entity.startsWith('#')) {
            const uint codePoint = entity.startsWith("#x") ? referencedCodePoint(entity.sliced(2), 16)
                                                           : referencedCodePoint(entity.sliced(1), 10);
            if (codePoint == 0 || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
                return false;
            appendUtf8(out, codePoint);
        } else if (entity == "amp")
            out += '&';
        else if (entity == "lt")
            out += '<';
        else if (entity == "gt")
            out += '>';
        else if (entity == "quot")
            out += '"';
        else if (entity == "apos")
            out += '\'';
        else {
            return false;
        }
        from = semicolon + 1;
        amp = raw.indexOf('&', from);
    }
    out.append(raw.sliced(from));
    return true;
}
