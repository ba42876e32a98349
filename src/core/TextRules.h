#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

// The text and number rules every window follows: what a box's text is worth as a
// number, how values are trimmed when shown and stored, how a field value reads as
// text, and the position text under each grid.
namespace TextRules {

// The leading number of a text: blanks (space, tab, line feed, carriage return) are
// skipped anywhere; then an optional sign, digits, an optional decimal point with
// digits, an optional exponent (E or D, optional sign, digits). Reading stops at the
// first other character. A text without a number is worth 0. The decimal point is
// always '.', whatever the locale. A number too large for a double gives ±infinity.
double Val(const QString& text);

// The whole number a counter box stores: Val rounded half to even (as the database
// engine rounds when it stores a fraction in a whole-number field: 2.5 → 2, 3.5 → 4),
// held within the range of qint64.
qint64 counterValue(const QString& text);

// Trims leading and trailing blanks: the ASCII space and the ideographic space U+3000
// that Chinese input methods type. Tabs and line breaks are kept, so a memo text keeps
// its layout (and its inner blanks are never touched).
QString trimBlanks(const QString& text);

// What a text field receives from a value: the value as text (Null → ""), cut to the field's
// declared size, then trimmed of the blanks at both ends.
QString fieldText(const QVariant& value, int declaredSize);

// Whether fieldText leaves a non-empty text given as UTF-8 exactly as it is: well-formed
// UTF-8 without a byte order mark, no longer than the field's size, no blank to trim at
// either end. A pass storing many texts then copies the bytes without converting them.
bool fieldTextKeepsUtf8(QByteArrayView utf8, int declaredSize);

// A field value joined to the empty text: Null → "", a date → 2026/12/7, a date and
// time → 2026/12/7 9:05:00 (the time left out at midnight), a whole number → its
// digits, a fraction → its shortest decimal form with up to 15 significant digits
// (12.5, 0.3), a text → itself.
QString joinedText(const QVariant& value);

// joinedText with the blanks trimmed: how a record window shows a field in its box.
QString trimmedText(const QVariant& value);

// The text under a grid: "3/7" for row 3 of 7; "0/0" when there are no rows;
// "0/7" when no row is current.
QString positionText(int position, int count);

} // namespace TextRules
