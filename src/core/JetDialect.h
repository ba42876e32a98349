#pragma once

#include <QList>
#include <QString>

// The program's statements are written in the Jet SQL dialect the database was first
// designed for. These functions cut them into tokens and say them the SQLite way.
namespace JetDialect {

enum class TokenKind { Word, Literal, Name, Number, Symbol, Space };

struct Token {
    TokenKind kind;
    QString text;    // as written, quotes and brackets included
    int depth = 0;   // parenthesis depth the token stands at
};

QList<Token> tokenize(const QString& sql);

// True when the token is the given keyword (letter case ignored).
bool isKeyword(const Token& token, const char* keyword);

// "Delete * From t Where ..." → "DELETE FROM t Where ...";
// like patterns written with [%], [_], [[] get an ESCAPE clause SQLite understands.
QString toSqlite(const QString& jetStatement);

// A criteria text of a filter or a find ("a like '%x%' And b = 'y'"), checked to hold
// nothing but such conditions, then said the SQLite way. Throws DbError otherwise.
QString criteriaToSqlite(const QString& criteria);

// The text value of a quoted literal token: 'it''s' → it's.
QString literalValue(const QString& literalToken);

} // namespace JetDialect
