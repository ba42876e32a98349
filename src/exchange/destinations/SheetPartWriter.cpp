#include "SheetPartWriter.h"

#include "ExportJob.h"
#include "SourceRows.h"
#include "WriteFailure.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <cerrno>
#include <charconv>

namespace {

constexpr int LastRow = 1048576;   // Excel's last row; the first holds the field names
constexpr qsizetype FlushAt = 1 << 20;

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

SheetPartWriter::SheetPartWriter(const QString& path, const QString& shownPath, int columns, Dates dates)
    : file_(path), shownPath_(shownPath), dates_(dates)
{
    for (int c = 0; c < columns; ++c)
        columns_ << columnLetters(c);
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail();
    buffer_.reserve(FlushAt + (64 << 10));
    buffer_ = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
              "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
              "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheetData>";
}

void SheetPartWriter::beginRow(int number)
{
    rowNumber_.setNum(number);
    buffer_.append(QByteArrayView("<row r=\"")).append(rowNumber_).append(QByteArrayView("\">"));
}

void SheetPartWriter::endRow()
{
    buffer_.append(QByteArrayView("</row>"));
    if (buffer_.size() > FlushAt)
        flush();
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

void SheetPartWriter::row(int rowNumber, const SourceRows& rows)
{
    if (dateColumns_.isEmpty())
        for (const FieldInfo& field : rows.fields())
            dateColumns_ << (field.kind == FieldInfo::Kind::Date);
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

qint64 SheetPartWriter::finish()
{
    buffer_ += "</sheetData></worksheet>";
    flush();
    errno = 0;
    if (!file_.flush())
        fail();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        fail();
    return size_;
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

void SheetPartWriter::flush()
{
    errno = 0;
    if (file_.write(buffer_) != buffer_.size())
        fail();
    size_ += buffer_.size();
    buffer_.resize(0);
}

void SheetPartWriter::fail()
{
    throw DbError(WriteFailure::describe(errno != 0 ? errno : EIO, shownPath_));
}

int SheetPartWriter::writeRows(SheetPartWriter& sheet, SourceRows& rows, const std::function<bool(int)>& progress)
{
    QList<QVariant> header;
    for (const QString& name : rows.fieldNames())
        header << name;
    sheet.row(1, header);
    int count = 0;
    while (rows.next()) {
        if (count + 2 > LastRow)
            throw DbError(QStringLiteral("行数超过 Excel 工作表的上限（%1 行）。").arg(LastRow - 1));
        sheet.row(count + 2, rows);
        reportExportProgress(progress, ++count);
    }
    return count;
}
