#include "JetDialect.h"

#include "DbError.h"

namespace JetDialect {

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$')
        || c == QChar(0xFF08) || c == QChar(0xFF09); // full-width brackets belong to field names
}

int scanQuoted(const QString& sql, int start, QChar close)
{
    int i = start + 1;
    while (i < sql.size()) {
        if (sql[i] == close) {
            if (close == QLatin1Char('\'') && i + 1 < sql.size() && sql[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    throw DbError(QStringLiteral("语句中的引号或括号不配对：%1").arg(sql));
}

// A like pattern in the Jet form: [x] stands for the character x itself.
// Returns the SQLite pattern using \ as escape character.
QString likePatternToSqlite(const QString& pattern)
{
    QString out;
    for (int i = 0; i < pattern.size(); ++i) {
        QChar c = pattern[i];
        if (c == QLatin1Char('[') && i + 2 < pattern.size() && pattern[i + 2] == QLatin1Char(']')) {
            QChar literal = pattern[i + 1];
            if (literal == QLatin1Char('%') || literal == QLatin1Char('_') || literal == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += literal;
            i += 2;
        } else if (c == QLatin1Char('\\')) {
            out += QLatin1String("\\\\");
        } else {
            out += c;
        }
    }
    return out;
}

QString quoteLiteral(const QString& value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

} // namespace

QList<Token> tokenize(const QString& sql)
{
    QList<Token> tokens;
    int depth = 0;
    int i = 0;
    while (i < sql.size()) {
        QChar c = sql[i];
        int end = i + 1;
        TokenKind kind = TokenKind::Symbol;
        if (c.isSpace()) {
            while (end < sql.size() && sql[end].isSpace())
                ++end;
            kind = TokenKind::Space;
        } else if (c == QLatin1Char('\'')) {
            end = scanQuoted(sql, i, c);
            kind = TokenKind::Literal;
        } else if (c == QLatin1Char('[')) {
            end = scanQuoted(sql, i, QLatin1Char(']'));
            kind = TokenKind::Name;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('`')) {
            end = scanQuoted(sql, i, c);
            kind = TokenKind::Name;
        } else if (c.isDigit()) {
            while (end < sql.size() && (sql[end].isDigit() || sql[end] == QLatin1Char('.')))
                ++end;
            kind = TokenKind::Number;
        } else if (isWordChar(c)) {
            while (end < sql.size() && isWordChar(sql[end]))
                ++end;
            kind = TokenKind::Word;
        } else if ((c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!'))
                   && end < sql.size() && (sql[end] == QLatin1Char('=') || sql[end] == QLatin1Char('>'))) {
            ++end;
        }
        if (c == QLatin1Char(')'))
            --depth;
        tokens.append({kind, sql.mid(i, end - i), depth});
        if (c == QLatin1Char('('))
            ++depth;
        i = end;
    }
    return tokens;
}

bool isKeyword(const Token& token, const char* keyword)
{
    return token.kind == TokenKind::Word && token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

QString literalValue(const QString& literalToken)
{
    QString inner = literalToken.mid(1, literalToken.size() - 2);
    inner.replace(QLatin1String("''"), QLatin1String("'"));
    return inner;
}

static int nextSolid(const QList<Token>& tokens, int from)
{
    int i = from;
    while (i < tokens.size() && tokens[i].kind == TokenKind::Space)
        ++i;
    return i;
}

QString toSqlite(const QString& jetStatement)
{
    const QList<Token> tokens = tokenize(jetStatement);
    QString out;
    int first = nextSolid(tokens, 0);
    int i = 0;
    // Jet's "Delete * From" names the rows; SQLite says "DELETE FROM".
    if (first < tokens.size() && isKeyword(tokens[first], "delete")) {
        int star = nextSolid(tokens, first + 1);
        if (star < tokens.size() && tokens[star].text == QLatin1String("*")) {
            out = QStringLiteral("DELETE");
            i = star + 1;
        }
    }
    for (; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        out += t.text;
        if (!isKeyword(t, "like"))
            continue;
        int lit = nextSolid(tokens, i + 1);
        if (lit >= tokens.size() || tokens[lit].kind != TokenKind::Literal)
            continue;
        for (int s = i + 1; s < lit; ++s)
            out += tokens[s].text;
        const QString pattern = literalValue(tokens[lit].text);
        const QString sqlitePattern = likePatternToSqlite(pattern);
        out += quoteLiteral(sqlitePattern);
        if (sqlitePattern != pattern)
            out += QLatin1String(" ESCAPE '\\'");
        i = lit;
    }
    return out;
}

QString criteriaToSqlite(const QString& criteria)
{
    // A filter is data the windows build from what the user typed; accept only
    // comparisons of names with literals or numbers, joined by And / Or.
    const QList<Token> tokens = tokenize(criteria);
    for (const Token& t : tokens) {
        if (t.kind == TokenKind::Symbol) {
            static const QStringList allowed = {"=", "<", ">", "<=", ">=", "<>", "(", ")", "*", "."};
            if (!allowed.contains(t.text))
                throw DbError(QStringLiteral("筛选条件无效：%1").arg(criteria));
        }
        if (t.kind == TokenKind::Word && (isKeyword(t, "select") || isKeyword(t, "delete")
                                          || isKeyword(t, "update") || isKeyword(t, "insert")
                                          || isKeyword(t, "drop")))
            throw DbError(QStringLiteral("筛选条件无效：%1").arg(criteria));
    }
    return toSqlite(criteria);
}

} // namespace JetDialect
