#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Mends the text layer of a PDF file the Qt PDF writer made, so that copying or searching
// gives the texts that were drawn.
//
// The writer maps each glyph back to the lowest code point that the font maps to it, or
// to nothing: with the CJK fonts 户 comes back as the radical ⼾ and 目 as ⽬ (they share
// a glyph), a space as a tab, and digits that the font's shaping replaced by other glyphs
// are lost. Knowing the texts drawn on each page, in order, the glyphs of each page are
// paired with the characters that produced them and every font's character map is written
// anew, appended to the file as an update of those objects (the rest of the file stays
// as written).
namespace PdfTextLayer {

// `pageTexts[p]` are the texts drawn on page p + 1, in the order they were drawn. A page
// whose glyphs do not pair up one to one with its characters (a ligature) keeps the
// writer's mapping. Returns "" when the file was mended, else why it was left as written.
QString mend(const QString& path, const QList<QStringList>& pageTexts);

} // namespace PdfTextLayer
