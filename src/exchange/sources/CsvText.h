#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <functional>

// The records of a comma-separated text, as RFC 4180 describes them: fields separated by one
// character, quoted fields with "" for a quote and line breaks inside, records ended by
// CR LF, LF or CR. Blank lines are no records.
namespace CsvText {

// The separator the heading line uses most among comma, semicolon and tab (outside quotes);
// a comma when it uses none.
QChar detectSeparator(const QString& text);

// What a parse came to: completed is false when onRecord stopped it; a quote still open at
// the end of the text gives the line it was opened on (0 when every quote was closed).
struct ParseResult {
    bool completed = true;
    int unterminatedQuoteLine = 0;
};

// Calls onRecord for each record, with the 1-based line it starts on, until it answers false.
ParseResult parse(const QString& text, QChar separator,
                  const std::function<bool(const QStringList& fields, int line)>& onRecord);

} // namespace CsvText
