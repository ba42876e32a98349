#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

// A small pull reader for the large and regular parts of a workbook (the rows of a sheet,
// the shared strings), several times faster than QXmlStreamReader on them. It reads the
// stream piece by piece and knows elements, attributes, text, entities and CDATA; comments,
// processing instructions and the declaration are skipped. Names are given without their
// namespace prefix. Anything it cannot make sense of ends the reading with an error.
class FastXmlReader {
public:
    enum class Token { StartElement, EndElement, Text, End, Error };

    explicit FastXmlReader(QIODevice* device);

    Token next();

    // Of the current start or end element; valid until the next call of next().
    QByteArrayView name() const { return name_; }
    // Of the current start element, entities resolved; empty when it has no such attribute.
    QByteArray attribute(QByteArrayView localName) const;
    // The same without resolving entities, for values that hold none (cell references,
    // numbers); valid until the next call of next().
    QByteArrayView rawAttribute(QByteArrayView localName) const;
    // Several of them in one walk over the tag (a cell's r, t and s): values[i] for wanted[i].
    void rawAttributes(const QByteArrayView* wanted, QByteArrayView* values, int count) const;
    // The current text, entities resolved, as UTF-8.
    const QByteArray& text() const { return text_; }
    bool hasError() const { return error_; }

    // A shortcut for the common shape of a sheet's cells: when the stream goes on with
    // exactly open, a text without markup and close (e.g. "<v>", "</v></c>"), reads all of it,
    // appends the text (entities resolved) to out and answers true. Otherwise reads nothing
    // and answers false, and the caller walks the tokens. Damage in the text ends the reading
    // with an error, as next() would.
    bool readTextBetween(QByteArrayView open, QByteArrayView close, QByteArray& out);

private:
    bool fill();                       // reads more; false at the end of the stream
    qsizetype find(char c, qsizetype from);
    qsizetype find(QByteArrayView what, qsizetype from);
    Token fail();
    Token readMarkup();
    Token readTag(qsizetype end);
    static bool decodeEntities(QByteArrayView raw, QByteArray& out);

    QIODevice* device_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool atStreamEnd_ = false;
    bool error_ = false;
    bool pendingEnd_ = false;          // a self-closing element still owes its end
    QByteArrayView tag_;               // the current tag's bytes in the buffer, without < and >
    QByteArrayView name_;
    QByteArray text_;
};
