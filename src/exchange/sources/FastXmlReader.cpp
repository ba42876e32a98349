#include "FastXmlReader.h"

#include <cstring>

namespace {

constexpr qint64 ChunkSize = 256 * 1024;
constexpr qsizetype MaxTokenSize = 64 * 1024 * 1024;   // one tag or text longer than this is damage

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView localName(QByteArrayView qualified)
{
    const char* colon = static_cast<const char*>(std::memchr(qualified.data(), ':', size_t(qualified.size())));
    return colon ? qualified.sliced(colon - qualified.data() + 1) : qualified;
}

// Some writers store every Chinese character as a reference (&#33829;): encoded here directly
// into the output, without a string made for each one. Returns the bytes written (1 to 4).
int writeUtf8(char* to, uint codePoint)
{
    if (codePoint < 0x80) {
        to[0] = char(codePoint);
        return 1;
    }
    if (codePoint < 0x800) {
        to[0] = char(0xC0 | (codePoint >> 6));
        to[1] = char(0x80 | (codePoint & 0x3F));
        return 2;
    }
    if (codePoint < 0x10000) {
        to[0] = char(0xE0 | (codePoint >> 12));
        to[1] = char(0x80 | ((codePoint >> 6) & 0x3F));
        to[2] = char(0x80 | (codePoint & 0x3F));
        return 3;
    }
    to[0] = char(0xF0 | (codePoint >> 18));
    to[1] = char(0x80 | ((codePoint >> 12) & 0x3F));
    to[2] = char(0x80 | ((codePoint >> 6) & 0x3F));
    to[3] = char(0x80 | (codePoint & 0x3F));
    return 4;
}

// Copies raw text with XML's line ends made one: CR LF and a lone CR become LF, as every XML
// reader hands them out (a CR written as &#13; stays). Answers where the copy ends; the copy
// is never longer than the raw text, so it may be written in place.
char* copyWithLineEnds(char* to, const char* from, const char* end)
{
    const char* cr = static_cast<const char*>(std::memchr(from, '\r', size_t(end - from)));
    while (cr) {
        std::memmove(to, from, size_t(cr - from));
        to += cr - from;
        *to++ = '\n';
        from = cr + 1;
        if (from < end && *from == '\n')
            ++from;
        cr = static_cast<const char*>(std::memchr(from, '\r', size_t(end - from)));
    }
    std::memmove(to, from, size_t(end - from));
    return to + (end - from);
}

int digitValue(char c, int base)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads the character reference after "&#" at from (decimal, or hexadecimal after "x") up to
// its ';'. Returns where the reference ends, or nullptr when it is no valid reference.
const char* readReference(const char* from, const char* end, uint& codePoint)
{
    int base = 10;
    if (from < end && *from == 'x') {
        base = 16;
        ++from;
    }
    uint value = 0;
    int digits = 0;
    for (; from < end && *from != ';'; ++from) {
        const int digit = digitValue(*from, base);
        if (digit < 0 || ++digits > 8)
            return nullptr;
        value = value * uint(base) + uint(digit);
    }
    if (from == end || digits == 0 || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return nullptr;
    codePoint = value;
    return from + 1;
}

// The character a named entity stands for; 0 for a name XML does not know.
char namedEntity(QByteArrayView name)
{
    if (name == "amp")
        return '&';
    if (name == "lt")
        return '<';
    if (name == "gt")
        return '>';
    if (name == "quot")
        return '"';
    if (name == "apos")
        return '\'';
    return 0;
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
            text_.resize(copyWithLineEnds(text_.data(), text_.constData(), text_.constData() + text_.size()) - text_.constData());
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
        const char* data = buffer_.constData();
        const qsizetype size = buffer_.size();
        for (; at < size; ++at) {
            const char c = data[at];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '>') {
                break;
            } else if (c == '"' || c == '\'') {
                quote = c;
            }
        }
        if (at < size)
            break;
        if (at - pos_ > MaxTokenSize)
            return fail();
        const qsizetype offset = at - pos_;
        if (!fill())
            return fail();
        at = pos_ + offset;
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

bool FastXmlReader::readTextBetween(QByteArrayView open, QByteArrayView close, QByteArray& out)
{
    if (error_ || pendingEnd_)
        return false;
    // Everything up to the end of close must be in the buffer; fill() reads more and moves
    // pos_, so places are counted from pos_.
    while (buffer_.size() - pos_ < open.size() && fill()) {
    }
    if (!QByteArrayView(buffer_).sliced(pos_).startsWith(open))
        return false;
    const qsizetype textEnd = find('<', open.size());
    if (textEnd < 0)
        return false;
    const qsizetype closeOffset = textEnd - pos_;
    while (buffer_.size() - pos_ - closeOffset < close.size() && fill()) {
    }
    if (!QByteArrayView(buffer_).sliced(pos_ + closeOffset).startsWith(close))
        return false;
    const QByteArrayView text(buffer_.constData() + pos_ + open.size(), closeOffset - open.size());
    if (!decodeEntities(text, out)) {
        error_ = true;
        return false;
    }
    pos_ += closeOffset + close.size();
    return true;
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
    QByteArrayView value;
    rawAttributes(&wanted, &value, 1);
    return value;
}

void FastXmlReader::rawAttributes(const QByteArrayView* wanted, QByteArrayView* values, int count) const
{
    for (int i = 0; i < count; ++i)
        values[i] = {};
    const char* const tag = tag_.data();
    const qsizetype size = tag_.size();
    qsizetype at = 0;
    while (at < size && !isSpace(tag[at]))
        ++at;   // the element's name
    while (at < size) {
        while (at < size && isSpace(tag[at]))
            ++at;
        const qsizetype nameStart = at;
        while (at < size && tag[at] != '=' && !isSpace(tag[at]))
            ++at;
        const QByteArrayView attributeName = localName(QByteArrayView(tag + nameStart, at - nameStart));
        while (at < size && (isSpace(tag[at]) || tag[at] == '='))
            ++at;
        if (at >= size || (tag[at] != '"' && tag[at] != '\''))
            return;
        const char quote = tag[at++];
        const qsizetype valueStart = at;
        while (at < size && tag[at] != quote)
            ++at;
        for (int i = 0; i < count; ++i) {
            if (values[i].isNull() && attributeName == wanted[i])
                values[i] = QByteArrayView(tag + valueStart, at - valueStart);
        }
        ++at;
    }
}

bool FastXmlReader::decodeEntities(QByteArrayView raw, QByteArray& out)
{
    const char* from = raw.data();
    const char* const end = from + raw.size();
    const char* amp = static_cast<const char*>(std::memchr(from, '&', size_t(raw.size())));
    if (!amp && !std::memchr(from, '\r', size_t(raw.size()))) {
        out.append(raw);
        return true;
    }
    // Written in place: the decoded text is never longer than the raw one.
    const qsizetype start = out.size();
    out.resize(start + raw.size());
    char* to = out.data() + start;
    while (amp) {
        to = copyWithLineEnds(to, from, amp);
        if (amp + 1 < end && amp[1] == '#') {
            uint codePoint = 0;
            from = readReference(amp + 2, end, codePoint);
            if (!from)
                return false;
            to += writeUtf8(to, codePoint);
        } else {
            const char* semicolon = static_cast<const char*>(std::memchr(amp, ';', size_t(std::min<qsizetype>(end - amp, 6))));
            const char replacement = semicolon ? namedEntity(QByteArrayView(amp + 1, semicolon - amp - 1)) : 0;
            if (!replacement)
                return false;
            *to++ = replacement;
            from = semicolon + 1;
        }
        amp = static_cast<const char*>(std::memchr(from, '&', size_t(end - from)));
    }
    to = copyWithLineEnds(to, from, end);
    out.resize(to - out.constData());
    return true;
}
