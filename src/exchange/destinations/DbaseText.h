#pragma once

#include <QByteArray>
#include <QString>

// Texts of a dBase table in its code page, 936 (GBK, with the euro sign at 0x80, as
// Windows has it), as dBase itself writes them: a character the code page does not have
// (other scripts, emoji, rare characters beyond GBK) is written as "?", and a text longer
// than its field is cut after its last whole character. Nothing is cut or replaced
// without the caller knowing.
namespace DbaseText {

struct Encoded {
    QByteArray bytes;
    bool shortened = false;   // characters at the end did not fit
    bool replaced = false;    // characters outside GBK were written as "?"
};

// `text` in GBK, at most `maxBytes` bytes long (no limit when negative).
Encoded encode(const QString& text, int maxBytes = -1);

} // namespace DbaseText
