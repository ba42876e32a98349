#include "SheetPartWriter.h"

#include "ExportJob.h"
#include "SourceRows.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

constexpr int LastRow = 1048576;   // Excel's last row; the first holds the field names

QByteArray columnLetters(int column)
{
    QByteArray letters;
    for (int n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(char('A' + (n - 1) % 26));
    return letters;
}

bool needsEscaping(char c)
{
    return c == '&' || c == '<' || c == '>' || (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r');
}

// UTF-8 text as XML character data: the markup characters escaped, and the control
// characters XML 1.0 has no place for left out.
void appendXmlText(QByteArray& out, const char* utf8, qsizetype size)
{
    qsizetype plain = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char c = utf8[i];
        if (!needsEscaping(c))
            continue;
        out.append(utf8 + plain, i - plain);
        plain = i + 1;
        if (c == '&')
            out.append(QByteArrayView("&amp;"));
        else if (c == '<')
            out.append(QByteArrayView("&lt;"));
        else if (c == '>')
            out.append(QByteArrayView("&gt;"));
    }
    out.append(utf8 + plain, size - plain);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Days since 1899-12-30, as Excel counts dates (from March 1900 on).
double excelSerial(const QDateTime& moment)
{
    static const QDate epoch(1899, 12, 30);
    return double(epoch.daysTo(moment.date())) + moment.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

SheetPartWriter::SheetPartWriter(SourceRows& rows, Dates dates, std::function<bool(int)> progress)
    : rows_(rows), dates_(dates), progress_(std::move(progress))
{
    for (int c = 0; c < rows.fields().size(); ++c) {
        columns_ << columnLetters(c);
        dateColumns_ << (rows.fields()[c].kind == FieldInfo::Kind::Date);
    }
}

qint64 SheetPartWriter::read(char* data, qint64 capacity)
{
    makeMore(capacity);
    const qint64 count = std::min<qint64>(capacity, buffer_.size() - consumed_);
    std::memcpy(data, buffer_.constData() + consumed_, size_t(count));
    consumed_ += count;
    produced_ += count;
    return count;
}

// Makes rows until `wanted` bytes wait to be read or the part is complete.
void SheetPartWriter::makeMore(qint64 wanted)
{
    if (buffer_.size() - consumed_ >= wanted || finished_)
        return;
    buffer_.remove(0, consumed_);
    consumed_ = 0;
    if (!started_) {
        started_ = true;
        buffer_ += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                   "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                   "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheetData>";
        QList<QVariant> names;
        for (const QString& name : rows_.fieldNames())
            names << name;
        row(1, names);
    }
    while (buffer_.size() < wanted) {
        if (!rows_.next()) {
            buffer_ += "</sheetData></worksheet>";
            finished_ = true;
            return;
        }
        if (rowsWritten_ + 2 > LastRow)
            throw DbError(QStringLiteral("行数超过 Excel 工作表的上限（%1 行）。").arg(LastRow - 1));
        row(rowsWritten_ + 2);
        reportExportProgress(progress_, ++rowsWritten_);
    }
}

void SheetPartWriter::beginRow(int number)
{
    rowNumber_.setNum(number);
    buffer_.append(QByteArrayView("<row r=\"")).append(rowNumber_).append(QByteArrayView("\">"));
}

void SheetPartWriter::endRow()
{
    buffer_.append(QByteArrayView("</row>"));
}

void SheetPartWriter::beginCell(int column)
{
    buffer_.append(QByteArrayView("<c r=\"")).append(columns_.at(column)).append(rowNumber_).append('"');
}

void SheetPartWriter::row(int number, const QList<QVariant>& values)
{
    beginRow(number);
    for (int c = 0; c < values.size(); ++c) {
        const QVariant& value = values[c];
        if (!value.isValid() || value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
            continue;
        beginCell(c);
        cell(value);
    }
    endRow();
}

void SheetPartWriter::row(int rowNumber)
{
    const SourceRows& rows = rows_;
    beginRow(rowNumber);
    for (int c = 0; c < columns_.size(); ++c) {
        const SourceRows::RawValue value = rows.raw(c);
        using Kind = SourceRows::RawValue::Kind;
        if (value.kind == Kind::Null || (value.kind == Kind::Text && value.size == 0))
            continue;
        beginCell(c);
        if (dateColumns_[c] || value.kind == Kind::Blob)
            cell(rows.value(c));
        else if (value.kind == Kind::Integer)
            number(value.integer);
        else if (value.kind == Kind::Real)
            number(value.real);
        else
            text(value.bytes, value.size);
    }
    endRow();
}

void SheetPartWriter::cell(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
        return number(value.toLongLong());
    case QMetaType::Double:
        return number(value.toDouble());
    case QMetaType::QDate:
        if (dates_ == Dates::AsText)
            return text(value.toDate().toString(Qt::ISODate));
        buffer_ += " s=\"1\"><v>" + QByteArray::number(excelSerial(value.toDate().startOfDay()), 'g', 17) + "</v></c>";
        return;
    case QMetaType::QDateTime:
        if (dates_ == Dates::AsText)
            return text(value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        buffer_ += " s=\"2\"><v>" + QByteArray::number(excelSerial(value.toDateTime()), 'g', 17) + "</v></c>";
        return;
    default:
        return text(value.toString());
    }
}

void SheetPartWriter::number(qint64 value)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer_.append(QByteArrayView("><v>")).append(digits, end - digits).append(QByteArrayView("</v></c>"));
}

void SheetPartWriter::number(double value)
{
    buffer_.append(QByteArrayView("><v>")).append(QByteArray::number(value, 'g', 17)).append(QByteArrayView("</v></c>"));
}

void SheetPartWriter::text(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    text(utf8.constData(), utf8.size());
}

void SheetPartWriter::text(const char* utf8, qsizetype size)
{
    buffer_.append(QByteArrayView(" t=\"inlineStr\"><is><t"));
    if (size > 0 && (isBlank(utf8[0]) || isBlank(utf8[size - 1])))
        buffer_.append(QByteArrayView(" xml:space=\"preserve\""));
    buffer_.append('>');
    appendXmlText(buffer_, utf8, size);
    buffer_.append(QByteArrayView("</t></is></c>"));
}
