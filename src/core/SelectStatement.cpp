#include "SelectStatement.h"

#include "SqlTokens.h"

#include <QStringList>

using SqlTokens::Token;
using TokenKind = SqlTokens::Kind;
using SqlTokens::isKeyword;

namespace {

QString joinTokens(const QList<Token>& tokens, int from, int to)
{
    QString out;
    for (int i = from; i < to; ++i)
        out += tokens[i].kind == TokenKind::Comment ? QStringLiteral(" ") : tokens[i].text;
    return out.trimmed();
}

int findTopLevel(const QList<Token>& tokens, int from, const char* keyword)
{
    for (int i = from; i < tokens.size(); ++i)
        if (tokens[i].depth == 0 && isKeyword(tokens[i], keyword))
            return i;
    return -1;
}

bool containsKeyword(const QList<Token>& tokens, int from, int to, const QStringList& words)
{
    for (int i = from; i < to; ++i)
        if (tokens[i].kind == TokenKind::Word && words.contains(tokens[i].text.toLower()))
            return true;
    return false;
}

bool selectListIsPlain(const QList<Token>& tokens, int from, int to)
{
    static const QStringList aggregates = {"count", "sum", "avg", "min", "max", "total", "group_concat",
                                           "first", "last", "distinct", "distinctrow", "top", "into", "all"};
    return !containsKeyword(tokens, from, to, aggregates);
}

} // namespace

SelectStatement SelectStatement::parse(const QString& sqliteStatement)
{
    SelectStatement s;
    const QList<Token> tokens = SqlTokens::tokenize(sqliteStatement);
    int select = 0;
    while (select < tokens.size() && tokens[select].kind == TokenKind::Space)
        ++select;
    if (select >= tokens.size() || !isKeyword(tokens[select], "select"))
        return s;
    const int from = findTopLevel(tokens, select + 1, "from");
    if (from < 0)
        return s;
    int where = findTopLevel(tokens, from + 1, "where");
    int order = findTopLevel(tokens, from + 1, "order");
    const int tableEnd = where >= 0 ? where : (order >= 0 ? order : int(tokens.size()));

    s.selectList = joinTokens(tokens, select + 1, from);
    s.table = joinTokens(tokens, from + 1, tableEnd);
    if (where >= 0)
        s.where = joinTokens(tokens, where + 1, order >= 0 ? order : int(tokens.size()));
    if (order >= 0) {
        int by = order + 1;
        while (by < tokens.size() && tokens[by].kind == TokenKind::Space)
            ++by;
        if (by < tokens.size() && isKeyword(tokens[by], "by"))
            s.orderBy = joinTokens(tokens, by + 1, tokens.size());
    }

    static const QStringList notKeyed = {"join", "group", "having", "union", "limit", "except",
                                         "intersect", "offset", "window", "values"};
    const bool oneTable = !s.table.isEmpty() && !s.table.contains(QLatin1Char(','))
        && !s.table.contains(QLatin1Char('('));
    s.keyed = oneTable && selectListIsPlain(tokens, select + 1, from)
        && !containsKeyword(tokens, from, tokens.size(), notKeyed)
        && (order < 0 || !s.orderBy.isEmpty());
    return s;
}

QString SelectStatement::keyQuery(const QString& extraCondition) const
{
    QString sql = QStringLiteral("SELECT rowid FROM ") + table;
    QStringList conditions;
    if (!where.isEmpty())
        conditions << QLatin1Char('(') + where + QLatin1Char(')');
    if (!extraCondition.isEmpty())
        conditions << QLatin1Char('(') + extraCondition + QLatin1Char(')');
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ");
    if (!orderBy.isEmpty())
        sql += orderBy + QStringLiteral(", ");
    sql += QStringLiteral("rowid");
    return sql;
}
