#include "PgValues.h"

#include "DbError.h"

#include <QDate>
#include <QDateTime>
#include <libpq-fe.h>

namespace PgValues {

namespace {

// Type numbers of the server's built-in types (pg_type.oid), fixed since long ago.
enum : Oid {
    BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26,
    Float4Oid = 700, Float8Oid = 701, NumericOid = 1700, DateOid = 1082, TimestampOid = 1114,
};

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

// A text parameter goes to the server as a C string, and a server text cannot hold the NUL
// character anyway: such a text is refused whole rather than stored cut at its NUL.
QByteArray textParameter(QByteArray utf8)
{
    if (utf8.contains('\0'))
        throw DbError(QStringLiteral("数据库拒绝了这次修改：文本中含有空字符（NUL），数据库服务器不能保存。"), StoreFailure::ValueRefused);
    return utf8;
}

std::optional<QByteArray> parameter(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArray("1") : QByteArray("0");
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

unsigned int typeOf(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Int8Oid;
    case QMetaType::Double:
    case QMetaType::Float:
        return Float8Oid;
    case QMetaType::QByteArray:
        return ByteaOid;
    case QMetaType::QDate:
        return DateOid;
    case QMetaType::QDateTime:
        return TimestampOid;
    default:
        return 0;
    }
}

bool isTextColumn(const pg_result* rows, int column)
{
    switch (PQftype(rows, column)) {
    case Int8Oid:
    case Int4Oid:
    case Int2Oid:
    case OidOid:
    case BoolOid:
    case Float4Oid:
    case Float8Oid:
    case NumericOid:
    case ByteaOid:
        return false;
    default:
        return true;
    }
}

QVariant valueAt(const pg_result* rows, int row, int column)
{
    if (PQgetisnull(rows, row, column))
        return QVariant();
    const char* text = PQgetvalue(rows, row, column);
    switch (PQftype(rows, column)) {
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
        return QString::fromUtf8(text, PQgetlength(rows, row, column));
    }
}

} // namespace PgValues
