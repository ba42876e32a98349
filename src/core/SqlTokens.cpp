#include "SqlTokens.h"

#include "DbError.h"

namespace SqlTokens {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_')
        || c == QChar(0xFF08) || c == QChar(0xFF09); // full-width brackets belong to field names
}

[[noreturn]] void unclosed(const QString& sql)
{
    throw DbError(QStringLiteral("语句中的引号或注释不配对：%1").arg(sql));
}

// End of a quoted text or name starting at `start`; a doubled quote stands for itself.
// With `backslashEscapes` (E'…'), a backslash takes the character after it.
int endOfQuoted(const QString& sql, int start, QChar quote, bool backslashEscapes = false)
{
    for (int i = start + 1; i < sql.size(); ++i) {
        if (backslashEscapes && sql[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (sql[i] != quote)
            continue;
        if (i + 1 < sql.size() && sql[i + 1] == quote) {
            ++i;
            continue;
        }
        return i + 1;
    }
    unclosed(sql);
}

// A dollar-quoted text: $$…$$ or $tag$…$tag$. Returns 0 when `start` begins no such quote.
int endOfDollarQuoted(const QString& sql, int start)
{
    int tagEnd = start + 1;
    while (tagEnd < sql.size() && (sql[tagEnd].isLetter() || sql[tagEnd] == QLatin1Char('_')
                                   || (tagEnd > start + 1 && sql[tagEnd].isDigit())))
        ++tagEnd;
    if (tagEnd >= sql.size() || sql[tagEnd] != QLatin1Char('$'))
        return 0;
    const QString tag = sql.mid(start, tagEnd - start + 1);
    const int close = sql.indexOf(tag, tagEnd + 1);
    if (close < 0)
        unclosed(sql);
    return close + int(tag.size());
}

int endOfSpace(const QString& sql, int start)
{
    int end = start;
    while (end < sql.size() && sql[end].isSpace())
        ++end;
    return end;
}

int endOfWhile(const QString& sql, int start, bool (*belongs)(QChar))
{
    int end = start;
    while (end < sql.size() && belongs(sql[end]))
        ++end;
    return end;
}

bool isNumberChar(QChar c)
{
    return c.isDigit() || c == QLatin1Char('.');
}

bool isDigit(QChar c)
{
    return c.isDigit();
}

bool startsWith(const QString& sql, int at, const char* text)
{
    return QStringView(sql).mid(at).startsWith(QLatin1String(text));
}

// Where the token at `i` ends, and what kind it is.
int scan(const QString& sql, int i, Kind& kind)
{
    const QChar c = sql[i];
    kind = Kind::Symbol;
    if (c.isSpace()) {
        kind = Kind::Space;
        return endOfSpace(sql, i);
    }
    if (startsWith(sql, i, "--")) {
        kind = Kind::Comment;
        const int newline = sql.indexOf(QLatin1Char('\n'), i);
        return newline < 0 ? int(sql.size()) : newline;
    }
    if (startsWith(sql, i, "/*")) {
        kind = Kind::Comment;
        const int close = sql.indexOf(QLatin1String("*/"), i + 2);
        if (close < 0)
            unclosed(sql);
        return close + 2;
    }
    if (c == QLatin1Char('\'')) {
        kind = Kind::Literal;
        return endOfQuoted(sql, i, c);
    }
    if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < sql.size() && sql[i + 1] == QLatin1Char('\'')) {
        kind = Kind::Literal;
        return endOfQuoted(sql, i + 1, QLatin1Char('\''), true);
    }
    if (c == QLatin1Char('"')) {
        kind = Kind::Name;
        return endOfQuoted(sql, i, c);
    }
    if (c == QLatin1Char('$')) {
        if (const int end = endOfDollarQuoted(sql, i)) {
            kind = Kind::Literal;
            return end;
        }
        return i + 1;
    }
    if (c == QLatin1Char('?')) {
        kind = Kind::Parameter;
        return endOfWhile(sql, i + 1, isDigit);
    }
    if (c.isDigit()) {
        kind = Kind::Number;
        return endOfWhile(sql, i + 1, isNumberChar);
    }
    if (isWordChar(c)) {
        kind = Kind::Word;
        return endOfWhile(sql, i + 1, isWordChar);
    }
    const bool twoCharOperator = (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!')
                                  || c == QLatin1Char('|') || c == QLatin1Char(':'))
        && i + 1 < sql.size()
        && (sql[i + 1] == QLatin1Char('=') || sql[i + 1] == QLatin1Char('>') || sql[i + 1] == c);
    return twoCharOperator ? i + 2 : i + 1;
}

} // namespace

QList<Token> tokenize(const QString& sql)
{
    QList<Token> tokens;
    int depth = 0;
    int i = 0;
    while (i < sql.size()) {
        Kind kind;
        const int end = scan(sql, i, kind);
        const QChar c = sql[i];
        if (kind == Kind::Symbol && c == QLatin1Char(')'))
            --depth;
        tokens.append({kind, sql.mid(i, end - i), depth});
        if (kind == Kind::Symbol && c == QLatin1Char('('))
            ++depth;
        i = end;
    }
    return tokens;
}

bool isKeyword(const Token& token, const char* keyword)
{
    return token.kind == Kind::Word && token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

QString literalValue(const QString& literalToken)
{
    QString inner = literalToken.mid(1, literalToken.size() - 2);
    inner.replace(QLatin1String("''"), QLatin1String("'"));
    return inner;
}

} // namespace SqlTokens
