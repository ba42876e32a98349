#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

// What Excel's cells hold, turned into the values a table gets.
namespace ExcelCells {

// A number: whole numbers (a phone number 13812345678 kept as a number) as qint64, so they
// print without ".0" or an exponent; others as double.
QVariant number(double value);

// A date serial number (days since 1899-12-30, or since 1904-01-01 in workbooks that say so):
// a QDate when it has no time of day, a QDateTime when it has; a time of day alone as text
// "HH:mm:ss". Null when it is no date.
QVariant dateFromSerial(double serial, bool from1904);

// Whether a number format shows a date or time: Excel's built-in date formats by number, or a
// format text with day, month, year, hour or second parts outside quotes and brackets.
bool isDateFormat(int formatId, const QString& formatCode);

// The first section of a number format that shows elapsed time ("[h]:mm:ss", "[mm]:ss",
// built-in format 46), or an empty text when the format shows no elapsed time.
QString durationFormat(int formatId, const QString& formatCode);

// A number of days shown as a duration format shows it: 10.4237... in "[h]:mm:ss" is
// "250:10:10".
QString durationText(double days, const QString& format);

// "A1" → column 0, "AB12" → 27; -1 when the reference has no valid column.
int columnOfReference(QByteArrayView reference);
int columnOfReference(const QString& reference);

// OOXML escapes characters XML cannot carry as _xHHHH_; this undoes it.
QString unescapeOoxml(const QString& text);

} // namespace ExcelCells
