#include "PgStatement.h"

#include "DbError.h"
#include "PgConnection.h"
#include "PgDialect.h"

#include <QDate>
#include <QDateTime>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// Type numbers of the server's built-in types (pg_type.oid), fixed since long ago.
enum : Oid {
    BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26,
    Float4Oid = 700, Float8Oid = 701, NumericOid = 1700,
};

// A text parameter goes to the server as a C string, and a server text cannot hold the NUL
// character anyway: such a text is refused whole rather than stored cut at its NUL.
QByteArray textParameter(QByteArray utf8)
{
    if (utf8.contains('\0'))
        throw DbError(QStringLiteral("数据库拒绝了这次修改：文本中含有空字符（NUL），数据库服务器不能保存。"), SQLITE_MISMATCH);
    return utf8;
}

QByteArray textOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "1" : "0";
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return QByteArray::number(value.toDouble(), 'g', 17);
    case QMetaType::QByteArray:
        return "\\x" + value.toByteArray().toHex();
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toUtf8();
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
    default:
        return textParameter(value.toString().toUtf8());
    }
}

QVariant numberFromText(const char* text)
{
    const QByteArray digits(text);
    if (!digits.contains('.') && !digits.contains('e') && !digits.contains('E')) {
        bool whole = false;
        const qint64 number = digits.toLongLong(&whole);
        if (whole)
            return number;
    }
    return digits.toDouble();
}

} // namespace

QByteArray PgStatement::textOf(const QVariant& value)
{
    return ::textOf(value);
}

QByteArray PgStatement::checkedText(QByteArray utf8)
{
    return textParameter(std::move(utf8));
}

PgStatement::PgStatement(PgConnection& connection, const QString& sqliteStatement)
    : connection_(connection)
{
    const PgDialect::Translated translated = PgDialect::fromSqlite(sqliteStatement);
    sql_ = translated.sql.toUtf8();
    values_.resize(translated.parameterCount);
    const QString start = sqliteStatement.trimmed().left(6).toUpper();
    changesTables_ = start.startsWith(QLatin1String("CREATE")) || start.startsWith(QLatin1String("DROP"))
        || start.startsWith(QLatin1String("ALTER"));
    reads_ = start.startsWith(QLatin1String("SELECT"));
}

PgStatement::~PgStatement()
{
    PQclear(result_);
    PQclear(description_);
}

std::optional<QByteArray>& PgStatement::parameter(int index)
{
    if (index < 1 || index > values_.size())
        throw DbError(QStringLiteral("数据库错误：参数序号 %1 超出范围。").arg(index));
    return values_[index - 1];
}

void PgStatement::bind(int index, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        parameter(index).reset();
    else
        parameter(index) = textOf(value);
}

void PgStatement::bindUtf8(int index, QByteArrayView text)
{
    parameter(index) = textParameter(text.toByteArray());
}

void PgStatement::run()
{
    QVector<const char*> pointers(values_.size());
    for (int i = 0; i < values_.size(); ++i)
        pointers[i] = values_[i] ? values_[i]->constData() : nullptr;
    const QByteArray prepared = connection_.preparedNameFor(sql_, int(values_.size()));
    PGresult* result = prepared.isEmpty()
        ? PQexecParams(connection_.handle(), sql_.constData(), int(values_.size()), nullptr, pointers.constData(), nullptr,
                       nullptr, 0)
        : PQexecPrepared(connection_.handle(), prepared.constData(), int(values_.size()), pointers.constData(), nullptr,
                         nullptr, 0);
    if (changesTables_)
        connection_.forgetCatalog();
    connection_.check(result);
    connection_.noteChanges(result);
    result_ = result;
    row_ = -1;
    ran_ = true;
}

bool PgStatement::step()
{
    if (!ran_)
        run();
    if (!result_ || PQresultStatus(result_) != PGRES_TUPLES_OK)
        return false;
    if (row_ < PQntuples(result_))
        ++row_;
    return row_ < PQntuples(result_);
}

void PgStatement::reset()
{
    PQclear(result_);
    result_ = nullptr;
    ran_ = false;
    row_ = -1;
    for (auto& value : values_)
        value.reset();
}

const pg_result* PgStatement::shape() const
{
    if (result_)
        return result_;
    // The description of a query asked before is known; otherwise the query is simply run:
    // its rows come with their description, in one exchange.
    if (reads_) {
        if (const pg_result* known = connection_.knownShape(sql_))
            return known;
        const_cast<PgStatement*>(this)->run();
        connection_.keepShape(sql_, result_);
        return result_;
    }
    if (!description_) {
        const QByteArray name = connection_.preparedNameFor(sql_, int(values_.size()), true);
        description_ = PQdescribePrepared(connection_.handle(), name.constData());
        connection_.check(description_);
    }
    return description_;
}

int PgStatement::columnCount() const
{
    return PQnfields(shape());
}

QString PgStatement::columnName(int column) const
{
    return QString::fromUtf8(PQfname(shape(), column));
}

QString PgStatement::declaredType(int column) const
{
    const pg_result* rows = shape();
    return connection_.declarationOf(PQftable(rows, column), PQftablecol(rows, column));
}

QVariant PgStatement::valueAt(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, column))
        return QVariant();
    const char* text = PQgetvalue(result_, row_, column);
    switch (PQftype(result_, column)) {
    case Int8Oid:
    case Int4Oid:
    case Int2Oid:
    case OidOid:
        return qint64(strtoll(text, nullptr, 10));
    case BoolOid:
        return qint64(text[0] == 't' ? 1 : 0);
    case Float4Oid:
    case Float8Oid:
        return QByteArray(text).toDouble();
    case NumericOid:
        return numberFromText(text);
    case ByteaOid: {
        size_t length = 0;
        unsigned char* bytes = PQunescapeBytea(reinterpret_cast<const unsigned char*>(text), &length);
        const QByteArray value(reinterpret_cast<const char*>(bytes), qsizetype(length));
        PQfreemem(bytes);
        return value;
    }
    default:
        return QString::fromUtf8(text, PQgetlength(result_, row_, column));
    }
}

QByteArrayView PgStatement::utf8At(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, column))
        return {};
    switch (PQftype(result_, column)) {
    case Int8Oid:
    case Int4Oid:
    case Int2Oid:
    case OidOid:
    case BoolOid:
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
    case ByteaOid:
        return {};   // valueAt gives these as numbers or bytes
    default:
        return QByteArrayView(PQgetvalue(result_, row_, column), PQgetlength(result_, row_, column));
    }
}

qint64 PgStatement::int64At(int column) const
{
    if (!result_ || row_ < 0 || row_ >= PQntuples(result_) || PQgetisnull(result_, row_, column))
        return 0;
    return strtoll(PQgetvalue(result_, row_, column), nullptr, 10);
}
