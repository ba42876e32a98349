#include "PdfTextLayer.h"

#include <QFile>
#include <QHash>
#include <QList>
#include <QMap>
#include <algorithm>
#include <QRegularExpression>
#include <QSaveFile>
#include <QtEndian>
#include <cctype>
#include <optional>

namespace PdfTextLayer {

namespace {

// The objects of a PDF file as its cross-reference table lists them.
class PdfObjects {
public:
    explicit PdfObjects(const QByteArray& bytes) : bytes_(bytes) {}

    bool readTable();
    QByteArray dictionary(int number) const;
    std::optional<QByteArray> streamData(int number) const;
    qint64 tableOffset() const { return tableOffset_; }
    QByteArray trailer() const { return trailer_; }

private:
    QByteArray body(int number) const;

    const QByteArray& bytes_;
    QHash<int, qint64> offsets_;
    qint64 tableOffset_ = -1;
    QByteArray trailer_;
};

int firstNumber(const QByteArray& text, const QString& pattern)
{
    static QHash<QString, QRegularExpression> compiled;
    auto found = compiled.find(pattern);
    if (found == compiled.end())
        found = compiled.insert(pattern, QRegularExpression(pattern));
    const QRegularExpressionMatch match = found->match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

bool PdfObjects::readTable()
{
    const qint64 start = bytes_.lastIndexOf("startxref");
    if (start < 0)
        return false;
    tableOffset_ = firstNumber(bytes_.mid(start, 40), QStringLiteral("startxref\\s+(\\d+)"));
    if (tableOffset_ <= 0 || !bytes_.mid(tableOffset_, 4).startsWith("xref"))
        return false;
    const qint64 trailerAt = bytes_.indexOf("trailer", tableOffset_);
    if (trailerAt < 0)
        return false;
    trailer_ = bytes_.mid(trailerAt, start - trailerAt);
    const QList<QByteArray> lines = bytes_.mid(tableOffset_, trailerAt - tableOffset_).split('\n');
    int number = 0;
    for (const QByteArray& raw : lines) {
        const QList<QByteArray> parts = raw.simplified().split(' ');
        if (parts.size() == 2) {
            number = parts[0].toInt();
        } else if (parts.size() == 3) {
            if (parts[2] == "n")
                offsets_.insert(number, parts[0].toLongLong());
            ++number;
        }
    }
    return !offsets_.isEmpty();
}

QByteArray PdfObjects::body(int number) const
{
    const auto found = offsets_.constFind(number);
    if (found == offsets_.constEnd())
        return QByteArray();
    const qint64 from = bytes_.indexOf("obj", *found);
    const qint64 streamAt = bytes_.indexOf("stream", from);
    const qint64 end = bytes_.indexOf("endobj", from);
    if (from < 0 || end < 0)
        return QByteArray();
    // A stream's data may hold anything: the object ends after its "endstream".
    if (streamAt >= 0 && streamAt < end)
        return bytes_.mid(from + 3, bytes_.indexOf("endobj", bytes_.indexOf("endstream", streamAt)) - from - 3);
    return bytes_.mid(from + 3, end - from - 3);
}

QByteArray PdfObjects::dictionary(int number) const
{
    const QByteArray all = body(number);
    const qint64 streamAt = all.indexOf("stream");
    return streamAt < 0 ? all : all.left(streamAt);
}

std::optional<QByteArray> PdfObjects::streamData(int number) const
{
    const QByteArray all = body(number);
    const QByteArray dict = dictionary(number);
    qint64 dataAt = all.indexOf("stream", dict.size()) + 6;
    if (dataAt < 6)
        return std::nullopt;
    if (all.mid(dataAt, 2) == "\r\n")
        dataAt += 2;
    else if (all.at(dataAt) == '\n')
        dataAt += 1;
    const QString dictText = QString::fromLatin1(dict);
    int length = firstNumber(dict, QStringLiteral("/Length\\s+(\\d+)\\s+0\\s+R"));
    if (length >= 0)
        length = dictionary(length).trimmed().toInt();
    else
        length = firstNumber(dict, QStringLiteral("/Length\\s+(\\d+)"));
    if (length < 0)
        return std::nullopt;
    QByteArray data = all.mid(dataAt, length);
    if (!dictText.contains(QStringLiteral("/FlateDecode")))
        return data;
    // qUncompress wants the expected size in front; it grows its buffer when that is short.
    QByteArray sized(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()) * 8 + 1024, sized.data());
    const QByteArray plain = qUncompress(sized + data);
    if (plain.isEmpty() && !data.isEmpty())
        return std::nullopt;
    return plain;
}

QList<int> references(const QByteArray& text)
{
    QList<int> numbers;
    static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
    for (const QRegularExpressionMatch& m : reference.globalMatch(QString::fromLatin1(text)))
        numbers += m.captured(1).toInt();
    return numbers;
}

// The page objects in their order, following the page tree from the catalogue.
void collectPages(const PdfObjects& objects, int node, QList<int>& pages, int depth = 0)
{
    const QByteArray dict = objects.dictionary(node);
    if (depth > 32)
        return;
    if (QRegularExpression(QStringLiteral("/Type\\s*/Pages\\b")).match(QString::fromLatin1(dict)).hasMatch()) {
        const qint64 kidsAt = dict.indexOf("/Kids");
        const qint64 open = dict.indexOf('[', kidsAt);
        const qint64 close = dict.indexOf(']', open);
        if (kidsAt < 0 || open < 0 || close < 0)
            return;
        for (int kid : references(dict.mid(open, close - open)))
            collectPages(objects, kid, pages, depth + 1);
    } else {
        pages += node;
    }
}

// Font resource name → the ToUnicode object of that font, for one page.
QHash<QString, int> pageFonts(const PdfObjects& objects, int page)
{
    QHash<QString, int> fonts;
    QByteArray resources = objects.dictionary(page);
    const int resourcesObject = firstNumber(resources, QStringLiteral("/Resources\\s+(\\d+)\\s+0\\s+R"));
    if (resourcesObject >= 0)
        resources = objects.dictionary(resourcesObject);
    const qint64 fontAt = resources.indexOf("/Font");
    if (fontAt < 0)
        return fonts;
    const QByteArray fontDict = resources.mid(fontAt, resources.indexOf(">>", fontAt) - fontAt);
    static const QRegularExpression entry(QStringLiteral("/([^\\s/<>\\[\\]]+)\\s+(\\d+)\\s+0\\s+R"));
    for (const QRegularExpressionMatch& m : entry.globalMatch(QString::fromLatin1(fontDict))) {
        const int toUnicode = firstNumber(objects.dictionary(m.captured(2).toInt()),
                                          QStringLiteral("/ToUnicode\\s+(\\d+)\\s+0\\s+R"));
        if (toUnicode >= 0)
            fonts.insert(m.captured(1), toUnicode);
    }
    return fonts;
}

struct Glyph {
    QString font;   // resource name
    int cid = 0;
};

void addGlyphs(QList<Glyph>& glyphs, const QString& font, const QString& hex)
{
    QString digits;
    for (QChar c : hex)
        if (!c.isSpace())
            digits += c;
    for (int i = 0; i + 4 <= digits.size(); i += 4)
        glyphs += Glyph{font, digits.mid(i, 4).toInt(nullptr, 16)};
}

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' || c == '/'
        || c == '%';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

// The glyphs a page's content shows, in order: the hexadecimal strings shown by Tj and TJ,
// each with the font that Tf chose before them.
QList<Glyph> shownGlyphs(const QByteArray& content)
{
    QList<Glyph> glyphs;
    QString font;
    QString lastName;
    QStringList pending;   // hexadecimal strings waiting for their operator
    const qsizetype size = content.size();
    qsizetype i = 0;
    while (i < size) {
        const char c = content.at(i);
        if (isBlank(c) || c == '[' || c == ']') {
            ++i;
        } else if (c == '%') {
            while (i < size && content.at(i) != '\n' && content.at(i) != '\r')
                ++i;
        } else if (c == '<' && i + 1 < size && content.at(i + 1) == '<') {
            i += 2;
        } else if (c == '>' && i + 1 < size && content.at(i + 1) == '>') {
            i += 2;
        } else if (c == '<') {
            const qsizetype close = content.indexOf('>', i);
            if (close < 0)
                break;
            pending += QString::fromLatin1(content.mid(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '(') {
            // A literal string: not written for these fonts; skipped with its escapes.
            int depth = 0;
            for (; i < size; ++i) {
                const char s = content.at(i);
                if (s == '\\')
                    ++i;
                else if (s == '(')
                    ++depth;
                else if (s == ')' && --depth == 0)
                    break;
            }
            ++i;
        } else {
            const qsizetype from = c == '/' ? i + 1 : i;
            qsizetype to = from;
            while (to < size && !isBlank(content.at(to)) && !isDelimiter(content.at(to)))
                ++to;
            const QByteArray token = content.mid(from, to - from);
            i = std::max(to, i + 1);
            if (c == '/') {
                lastName = QString::fromLatin1(token);
            } else if (token == "Tf") {
                font = lastName;
            } else if (token == "Tj" || token == "TJ") {
                for (const QString& hex : pending)
                    addGlyphs(glyphs, font, hex);
                pending.clear();
            } else if (!token.isEmpty() && !(std::isdigit(uchar(token.at(0))) || token.at(0) == '-'
                                             || token.at(0) == '+' || token.at(0) == '.')) {
                pending.clear();   // another operator: its operands were no shown text
            }
        }
    }
    return glyphs;
}

using CharacterMap = QMap<int, char32_t>;   // glyph → code point

// The mapping the writer wrote, so that glyphs no page could pair keep it.
CharacterMap writtenMap(const QByteArray& cmap)
{
    CharacterMap map;
    static const QRegularExpression range(
        QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(?:<([0-9A-Fa-f]+)>|\\[([^\\]]*)\\])"));
    static const QRegularExpression hexString(QStringLiteral("<([0-9A-Fa-f]+)>"));
    const QString text = QString::fromLatin1(cmap);
    qsizetype from = text.indexOf(QStringLiteral("beginbfrange"));
    while (from >= 0) {
        const qsizetype to = text.indexOf(QStringLiteral("endbfrange"), from);
        if (to < 0)
            break;
        for (const QRegularExpressionMatch& m : range.globalMatch(text.mid(from, to - from))) {
            const int first = m.captured(1).toInt(nullptr, 16);
            const int last = m.captured(2).toInt(nullptr, 16);
            if (m.capturedStart(3) >= 0) {
                const uint code = m.captured(3).toUInt(nullptr, 16);
                for (int g = first; g <= last; ++g)
                    map.insert(g, char32_t(code + uint(g - first)));
            } else {
                int g = first;
                for (const QRegularExpressionMatch& h : hexString.globalMatch(m.captured(4)))
                    map.insert(g++, char32_t(h.captured(1).toUInt(nullptr, 16)));
            }
        }
        from = text.indexOf(QStringLiteral("beginbfrange"), to);
    }
    map.remove(0);
    return map;
}

QByteArray utf16Hex(char32_t code)
{
    const QString text = QString::fromUcs4(&code, 1);
    QByteArray hex;
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

QByteArray cmapText(const CharacterMap& map)
{
    QByteArray text =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
        "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    const QList<int> glyphs = map.keys();
    for (qsizetype block = 0; block < glyphs.size(); block += 100) {
        const qsizetype count = std::min<qsizetype>(100, glyphs.size() - block);
        text += QByteArray::number(count) + " beginbfchar\n";
        for (qsizetype i = block; i < block + count; ++i)
            text += '<' + QByteArray::number(glyphs[i], 16).rightJustified(4, '0').toUpper() + "> <"
                + utf16Hex(map.value(glyphs[i])) + ">\n";
        text += "endbfchar\n";
    }
    text += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return text;
}

QByteArray trailerEntry(const QByteArray& trailer, const char* key)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/%1\\s+(\\d+\\s+\\d+\\s+R|\\d+)").arg(QLatin1String(key)))
            .match(QString::fromLatin1(trailer));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

// The new character maps as an update appended to the file: the objects, a table that
// lists them and a trailer that points back to the table before.
QByteArray update(qint64 fileSize, const PdfObjects& objects, const QMap<int, QByteArray>& cmaps)
{
    QByteArray tail = "\n";
    QMap<int, qint64> offsets;
    for (auto it = cmaps.constBegin(); it != cmaps.constEnd(); ++it) {
        offsets.insert(it.key(), fileSize + tail.size());
        tail += QByteArray::number(it.key()) + " 0 obj\n<< /Length " + QByteArray::number(it.value().size())
            + " >>\nstream\n" + it.value() + "\nendstream\nendobj\n";
    }
    const qint64 tableAt = fileSize + tail.size();
    tail += "xref\n";
    for (auto it = offsets.constBegin(); it != offsets.constEnd(); ++it)
        tail += QByteArray::number(it.key()) + " 1\n" + QByteArray::number(it.value()).rightJustified(10, '0')
            + " 00000 n \n";
    tail += "trailer\n<< /Size " + trailerEntry(objects.trailer(), "Size") + " /Root "
        + trailerEntry(objects.trailer(), "Root");
    const QByteArray info = trailerEntry(objects.trailer(), "Info");
    if (!info.isEmpty())
        tail += " /Info " + info;
    tail += " /Prev " + QByteArray::number(objects.tableOffset()) + " >>\nstartxref\n" + QByteArray::number(tableAt)
        + "\n%%EOF\n";
    return tail;
}

} // namespace

QString mend(const QString& path, const QList<QStringList>& pageTexts)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法读取文件：") + path;
    const QByteArray bytes = file.readAll();
    file.close();
    PdfObjects objects(bytes);
    if (!bytes.startsWith("%PDF-") || !objects.readTable())
        return QStringLiteral("不是可读的PDF文件：") + path;
    const int root = firstNumber(objects.trailer(), QStringLiteral("/Root\\s+(\\d+)\\s+0\\s+R"));
    const int pageTree = firstNumber(objects.dictionary(root), QStringLiteral("/Pages\\s+(\\d+)\\s+0\\s+R"));
    QList<int> pages;
    collectPages(objects, pageTree, pages);
    if (pages.size() != pageTexts.size())
        return QStringLiteral("PDF文件的页数与打印的页数不同。");

    QHash<int, CharacterMap> paired;   // ToUnicode object → glyph → code point
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const int contents = firstNumber(objects.dictionary(pages[p]), QStringLiteral("/Contents\\s+(\\d+)\\s+0\\s+R"));
        const std::optional<QByteArray> content = objects.streamData(contents);
        if (!content)
            continue;
        const QList<Glyph> glyphs = shownGlyphs(*content);
        QList<uint> characters;
        for (const QString& text : pageTexts[p])
            characters += text.toUcs4();
        if (glyphs.size() != characters.size())
            continue;
        const QHash<QString, int> fonts = pageFonts(objects, pages[p]);
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const auto font = fonts.constFind(glyphs[i].font);
            if (font != fonts.constEnd() && glyphs[i].cid != 0 && !paired[*font].contains(glyphs[i].cid))
                paired[*font].insert(glyphs[i].cid, characters[i]);
        }
    }
    if (paired.isEmpty())
        return QStringLiteral("PDF文件中没有可对应的文字。");

    QMap<int, QByteArray> cmaps;
    for (auto it = paired.constBegin(); it != paired.constEnd(); ++it) {
        CharacterMap map = writtenMap(objects.streamData(it.key()).value_or(QByteArray()));
        for (auto g = it.value().constBegin(); g != it.value().constEnd(); ++g)
            map.insert(g.key(), g.value());
        cmaps.insert(it.key(), cmapText(map));
    }
    // The file is replaced whole or not at all: a failed write leaves the file as written.
    QSaveFile mended(path);
    const QByteArray tail = update(bytes.size(), objects, cmaps);
    if (!mended.open(QIODevice::WriteOnly) || mended.write(bytes) != bytes.size() || mended.write(tail) != tail.size()
        || !mended.commit())
        return QStringLiteral("无法写入文件：") + path;
    return QString();
}

} // namespace PdfTextLayer
