#include "PgDialect.h"

#include "JetDialect.h"

#include <QSet>

namespace PgDialect {

namespace {

using JetDialect::Token;
using JetDialect::TokenKind;

bool isSqlKeyword(const QString& word)
{
    static const QSet<QString> keywords{
        "select", "from", "where", "and", "or", "not", "null", "is", "in", "like", "ilike", "escape",
        "order", "by", "asc", "desc", "insert", "into", "values", "update", "set", "delete", "as",
        "distinct", "group", "having", "limit", "offset", "between", "exists", "case", "when", "then",
        "else", "end", "join", "inner", "left", "right", "outer", "on", "union", "all", "true", "false",
        "default", "returning", "begin", "commit", "rollback", "savepoint", "release", "to", "create",
        "table", "drop", "if", "cast", "integer", "bigint", "text", "real", "collate", "primary", "key",
        "unique", "index", "with", "recursive", "nulls", "first", "last", "any", "some", "cross", "natural", "using"};
    return keywords.contains(word.toLower());
}

bool isPlainLowerName(const QString& word)
{
    for (const QChar c : word)
        if (!(c.isDigit() || c == QLatin1Char('_') || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))))
            return false;
    return true;
}

QString quoted(const QString& name)
{
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// [name] and `name` are SQLite's other ways of quoting a name.
QString nameToken(const QString& text)
{
    if (text.startsWith(QLatin1Char('[')) || text.startsWith(QLatin1Char('`')))
        return quoted(text.mid(1, text.size() - 2));
    return text;
}

int nextSolid(const QList<Token>& tokens, int from)
{
    int i = from;
    while (i < tokens.size() && tokens[i].kind == TokenKind::Space)
        ++i;
    return i;
}

int previousSolid(const QList<Token>& tokens, int before)
{
    int i = before - 1;
    while (i >= 0 && tokens[i].kind == TokenKind::Space)
        --i;
    return i;
}

bool isParameter(const QList<Token>& tokens, int i)
{
    return i < tokens.size() && tokens[i].kind == TokenKind::Symbol && tokens[i].text == QLatin1String("?");
}

} // namespace

Translated fromSqlite(const QString& sqliteStatement)
{
    const QList<Token> tokens = JetDialect::tokenize(sqliteStatement);
    Translated out;
    for (int i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.kind == TokenKind::Name) {
            out.sql += nameToken(t.text);
        } else if (t.kind == TokenKind::Word) {
            const int next = nextSolid(tokens, i + 1);
            // A name right after INTO or TABLE is a table even when a column list follows.
            const int previous = previousSolid(tokens, i);
            const bool namesTable = previous >= 0
                && (JetDialect::isKeyword(tokens[previous], "into") || JetDialect::isKeyword(tokens[previous], "table"));
            const bool call = !namesTable && next < tokens.size() && tokens[next].text == QLatin1String("(");
            if (JetDialect::isKeyword(t, "like")) {
                out.sql += QStringLiteral("ILIKE");
            } else if (JetDialect::isKeyword(t, "is")) {
                int after = next;
                bool negated = false;
                if (after < tokens.size() && JetDialect::isKeyword(tokens[after], "not")) {
                    negated = true;
                    after = nextSolid(tokens, after + 1);
                }
                if (isParameter(tokens, after)) {
                    out.sql += negated ? QStringLiteral("IS DISTINCT FROM ") : QStringLiteral("IS NOT DISTINCT FROM ");
                    i = after - 1;   // the parameter itself comes next
                } else {
                    out.sql += t.text;
                }
            } else if (t.text.compare(QLatin1String("main"), Qt::CaseInsensitive) == 0 && next < tokens.size()
                       && tokens[next].text == QLatin1String(".")) {
                i = next;   // "main." names the database itself
            } else if (call || isSqlKeyword(t.text) || isPlainLowerName(t.text)) {
                out.sql += t.text;
            } else {
                out.sql += quoted(t.text);
            }
        } else if (isParameter(tokens, i)) {
            // SQLite's numbering: ?N is value N, a bare ? the value after the highest number so far.
            int number = out.parameterCount + 1;
            if (i + 1 < tokens.size() && tokens[i + 1].kind == TokenKind::Number) {
                number = tokens[i + 1].text.toInt();
                ++i;
            }
            out.parameterCount = std::max(out.parameterCount, number);
            out.sql += QLatin1Char('$') + QString::number(number);
        } else {
            out.sql += t.text;
        }
    }
    return out;
}

} // namespace PgDialect
