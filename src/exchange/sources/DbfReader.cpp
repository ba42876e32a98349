#include "DbfReader.h"

#include "DbfHeader.h"
#include "DbfRecordDecoder.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"
#include "SourceTextDecoder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <memory>

namespace {

constexpr qint64 HeadBytes = 65536 + 32;   // the longest possible header
constexpr qint64 RecordsPerChunk = 1000;


DbfHeader headerOf(const QString& path, QFile& file)
{
    if (!file.open(QIODevice::ReadOnly))
        throw QFileInfo(path).isFile() ? SourceFileError::cannotOpen(path) : SourceFileError::missing(path);
    const std::optional<DbfHeader> header = DbfHeader::parse(file.read(HeadBytes), file.size());
    if (!header)
        throw SourceFileError::corrupt(path);
    // The header's record count must fit in the file; a shorter file has lost records.
    const qint64 room = (file.size() - header->headerLength) / header->recordLength;
    if (header->recordCount > room)
        throw SourceFileError::unreadable(path, QStringLiteral("文件不完整，缺少部分记录（文件已损坏）。"));
    return *header;
}

QStringList fieldNames(const DbfHeader& header)
{
    QStringList names;
    for (const DbfField& field : header.fields)
        names << field.name;
    return names;
}

} // namespace

QString DbfReader::formatName() const
{
    return QStringLiteral("dBase");
}

bool DbfReader::canRead(const QString& path) const
{
    const QByteArray head = SourceFileBytes::head(path, 64);
    return DbfHeader::looksLikeDbf(head, QFileInfo(path).size());
}

QStringList DbfReader::tableNames(const QString& path) const
{
    QFile file(path);
    headerOf(path, file);
    return {QFileInfo(path).completeBaseName()};
}

QString DbfReader::loadedTableName(const QString& path, const QString&) const
{
    return QFileInfo(path).completeBaseName();
}

bool DbfReader::readTable(const QString& path, const QString&, TableSink& sink,
                          const ReadProgress& progress) const
{
    QFile file(path);
    const DbfHeader header = headerOf(path, file);
    DbfRecordDecoder decoder(path, header);
    sink.begin(fieldNames(header));
    if (!file.seek(header.headerLength))
        throw SourceFileError::corrupt(path);

    qint64 done = 0;
    qint64 rows = 0;
    while (done < header.recordCount) {
        const qint64 count = std::min(RecordsPerChunk, header.recordCount - done);
        const QByteArray chunk = file.read(count * header.recordLength);
        if (chunk.size() != count * header.recordLength)
            throw SourceFileError::corrupt(path);
        for (qint64 i = 0; i < count; ++i) {
            const char* record = chunk.constData() + i * header.recordLength;
            if (record[0] == '*')
                continue;   // deleted
            sink.addRow(decoder.values(record));
            ++rows;
        }
        done += count;
        if (progress && !progress(rows))
            return false;
    }
    return !progress || progress(rows);
}
