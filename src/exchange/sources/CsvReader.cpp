#include "CsvReader.h"

#include "CsvText.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"
#include "core/TextFile.h"

#include <QFileInfo>

namespace {

constexpr qint64 ProgressEvery = 1000;

bool startsWithBinarySignature(const QByteArray& head)
{
    static const QByteArray signatures[] = {
        QByteArray("PK\x03\x04", 4),                           // zip: xlsx
        QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8),     // compound file: xls
        QByteArray("\x00\x01\x00\x00Standard", 12),            // Access
    };
    for (const QByteArray& signature : signatures) {
        if (head.startsWith(signature))
            return true;
    }
    return false;
}

bool hasUtf16Mark(const QByteArray& head)
{
    return head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF");
}

QVariant valueOf(const QString& field)
{
    return field.isEmpty() ? QVariant() : QVariant(field);
}

} // namespace

QString CsvReader::formatName() const
{
    return QStringLiteral("CSV");
}

bool CsvReader::canRead(const QString& path) const
{
    const QByteArray head = SourceFileBytes::head(path, 64 * 1024);
    if (head.isEmpty() || startsWithBinarySignature(head))
        return false;
    // Text has no zero bytes, except UTF-16, which says so by its mark.
    return hasUtf16Mark(head) || !head.contains('\0');
}

QStringList CsvReader::tableNames(const QString& path) const
{
    if (!canRead(path))
        throw SourceFileError::corrupt(path);
    return {QFileInfo(path).completeBaseName()};
}

QString CsvReader::loadedTableName(const QString& path, const QString&) const
{
    return QFileInfo(path).completeBaseName();
}

bool CsvReader::readTable(const QString& path, const QString&, TableSink& sink,
                          const ReadProgress& progress) const
{
    const QString text = TextFile::decodeText(SourceFileBytes::all(path));
    const QChar separator = CsvText::detectSeparator(text);

    // A first pass finds the widest record, so no value of a longer line is lost.
    int widest = 0;
    const CsvText::ParseResult check = CsvText::parse(text, separator, [&](const QStringList& fields, int) {
        widest = std::max(widest, int(fields.size()));
        return true;
    });
    if (check.unterminatedQuoteLine > 0)
        throw SourceFileError::unreadable(
            path, QStringLiteral("第 %1 行开始的引号没有结束，文件可能已损坏。").arg(check.unterminatedQuoteLine));

    bool heading = true;
    qint64 rows = 0;
    const CsvText::ParseResult read = CsvText::parse(text, separator, [&](const QStringList& fields, int) {
        if (heading) {
            QStringList names = fields;
            while (names.size() < widest)
                names << QString();
            sink.begin(names);
            heading = false;
            return true;
        }
        QVariantList values;
        values.reserve(widest);
        for (int i = 0; i < widest; ++i)
            values << (i < fields.size() ? valueOf(fields.at(i)) : QVariant());
        sink.addRow(values);
        ++rows;
        return !(progress && rows % ProgressEvery == 0 && !progress(rows));
    });
    if (!read.completed)
        return false;
    if (heading)
        sink.begin({});
    return !progress || progress(rows);
}
