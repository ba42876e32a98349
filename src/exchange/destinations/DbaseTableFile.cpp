#include "DbaseTableFile.h"

#include "WriteFailure.h"
#include "core/DbError.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace {

constexpr qsizetype FlushAt = 1 << 20;
constexpr char EndOfHeader = 0x0D;
constexpr char EndOfFile = 0x1A;

void putLittleEndian(QByteArray& bytes, int at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

QByteArray header(const QList<DbaseTableFile::Field>& fields, int recordLength, quint32 records, int languageDriver)
{
    const int headerLength = 32 + 32 * int(fields.size()) + 1;
    QByteArray bytes(headerLength, '\0');
    const QDate today = QDate::currentDate();
    bytes[0] = 0x03;   // dBase III without memo
    bytes[1] = char(today.year() - 1900);
    bytes[2] = char(today.month());
    bytes[3] = char(today.day());
    putLittleEndian(bytes, 4, records, 4);
    putLittleEndian(bytes, 8, quint32(headerLength), 2);
    putLittleEndian(bytes, 10, quint32(recordLength), 2);
    bytes[29] = char(languageDriver);
    for (int f = 0; f < fields.size(); ++f) {
        const int at = 32 + 32 * f;
        const QByteArray& name = fields[f].name;
        for (int i = 0; i < name.size() && i < 10; ++i)
            bytes[at + i] = name[i];
        bytes[at + 11] = fields[f].type;
        bytes[at + 16] = char(fields[f].width);
        bytes[at + 17] = char(fields[f].decimals);
    }
    bytes[headerLength - 1] = EndOfHeader;
    return bytes;
}

} // namespace

DbaseTableFile::DbaseTableFile(const QString& path, const QString& shownPath, const QList<Field>& fields,
                               int languageDriver)
    : file_(path), shownPath_(shownPath), fields_(fields)
{
    int length = 1;   // the deletion flag
    for (const Field& field : fields_) {
        offsets_ << length;
        length += field.width;
    }
    if (length > 0xFFFF)
        throw DbError(QStringLiteral("字段太多太宽，dBase 文件的一条记录放不下。"));
    blankRecord_ = QByteArray(length, ' ');
    record_ = blankRecord_;
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail();
    buffer_.reserve(FlushAt + length);
    // The record count is filled in at the end.
    buffer_.append(header(fields_, length, 0, languageDriver));
}

void DbaseTableFile::put(int field, const QByteArray& bytes, bool rightAligned)
{
    const int width = fields_[field].width;
    const qsizetype size = std::min<qsizetype>(bytes.size(), width);
    char* at = record_.data() + offsets_[field];
    std::memset(at, ' ', size_t(width));
    std::memcpy(at + (rightAligned ? width - size : 0), bytes.constData(), size_t(size));
}

void DbaseTableFile::setText(int field, const QByteArray& bytes)
{
    put(field, bytes, false);
}

bool DbaseTableFile::setNumber(int field, double value)
{
    const Field& f = fields_[field];
    char text[64];
    const int size = std::snprintf(text, sizeof text, "%*.*f", f.width, f.decimals, value);
    if (size < 0 || size > f.width)
        return false;
    put(field, QByteArray(text, size), true);
    return true;
}

bool DbaseTableFile::setInteger(int field, qint64 value)
{
    if (fields_[field].decimals > 0)
        return setNumber(field, double(value));
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    if (end - text > fields_[field].width)
        return false;
    put(field, QByteArray(text, end - text), true);
    return true;
}

void DbaseTableFile::setDate(int field, const QDate& date)
{
    put(field, date.toString(QStringLiteral("yyyyMMdd")).toLatin1(), false);
}

void DbaseTableFile::setNull(int field)
{
    const Field& f = fields_[field];
    const char fill = f.type == 'N' ? '*' : (f.type == 'D' ? '0' : ' ');
    std::memset(record_.data() + offsets_[field], fill, size_t(f.width));
}

void DbaseTableFile::addRecord()
{
    buffer_.append(record_);
    std::memcpy(record_.data(), blankRecord_.constData(), size_t(record_.size()));
    ++records_;
    if (buffer_.size() > FlushAt)
        flush();
}

void DbaseTableFile::finish()
{
    buffer_.append(EndOfFile);
    flush();
    QByteArray count(4, '\0');
    putLittleEndian(count, 0, records_, 4);
    errno = 0;
    if (!file_.seek(4) || file_.write(count) != 4 || !file_.flush())
        fail();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        fail();
}

void DbaseTableFile::flush()
{
    errno = 0;
    if (file_.write(buffer_) != buffer_.size())
        fail();
    buffer_.resize(0);
}

void DbaseTableFile::fail()
{
    throw DbError(WriteFailure::describe(errno != 0 ? errno : EIO, shownPath_));
}
