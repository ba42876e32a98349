#pragma once

#include <QList>
#include <QString>

// The program's statements are written once, in SQL that SQLite and PostgreSQL both take.
// This cuts such a text into tokens, so the parts that look at a statement (the record store's
// reading of a select, the server's numbering of placeholders) never look inside a literal,
// a quoted name or a comment.
namespace SqlTokens {

enum class Kind { Word, Literal, Name, Number, Parameter, Comment, Symbol, Space };

struct Token {
    Kind kind;
    QString text;    // as written, quotes included
    int depth = 0;   // parenthesis depth the token stands at
};

// Knows 'texts' (also E'…' with backslash escapes), $tag$ texts $tag$, "names", -- and /* */
// comments, ? and ?N placeholders. Throws DbError when a quote or a comment is not closed.
QList<Token> tokenize(const QString& sql);

// True when the token is the given keyword (letter case ignored).
bool isKeyword(const Token& token, const char* keyword);

// The text value of a quoted literal token: 'it''s' → it's.
QString literalValue(const QString& literalToken);

} // namespace SqlTokens
