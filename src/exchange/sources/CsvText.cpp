#include "CsvText.h"

namespace CsvText {

QChar detectSeparator(const QString& text)
{
    const QChar candidates[] = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};
    int counts[3] = {0, 0, 0};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted) {
            for (int i = 0; i < 3; ++i) {
                if (c == candidates[i])
                    ++counts[i];
            }
        }
    }
    int best = 0;
    for (int i = 1; i < 3; ++i) {
        if (counts[i] > counts[best])
            best = i;
    }
    return candidates[best];
}

ParseResult parse(const QString& text, QChar separator,
                  const std::function<bool(const QStringList& fields, int line)>& onRecord)
{
    ParseResult result;
    QStringList fields;
    QString field;
    bool quoted = false;
    bool fieldWasQuoted = false;
    bool recordHasContent = false;
    int line = 1;
    int recordLine = 1;
    int quoteLine = 0;
    const qsizetype size = text.size();

    auto endField = [&] {
        fields << field;
        field.clear();
        fieldWasQuoted = false;
    };
    auto endRecord = [&]() -> bool {
        endField();
        const bool blank = !recordHasContent && fields.size() == 1 && fields.first().isEmpty();
        bool goOn = true;
        if (!blank)
            goOn = onRecord(fields, recordLine);
        fields.clear();
        recordHasContent = false;
        return goOn;
    };

    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < size && text.at(i + 1) == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n') || (c == QLatin1Char('\r') && !(i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && field.isEmpty() && !fieldWasQuoted) {
            quoted = true;
            fieldWasQuoted = true;
            recordHasContent = true;
            quoteLine = line;
        } else if (c == separator) {
            recordHasContent = true;
            endField();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            if (!endRecord()) {
                result.completed = false;
                return result;
            }
            ++line;
            recordLine = line;
        } else {
            // Text after a closing quote belongs to the field, as spreadsheet programs take it.
            field += c;
            recordHasContent = true;
        }
    }
    if (quoted) {
        result.unterminatedQuoteLine = quoteLine;
        return result;
    }
    if (recordHasContent || !field.isEmpty() || !fields.isEmpty())
        result.completed = endRecord();
    return result;
}

} // namespace CsvText
