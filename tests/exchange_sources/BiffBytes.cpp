#include "BiffBytes.h"

#include <QtEndian>

namespace BiffBytes {

namespace {

constexpr int SectorSize = 512;
constexpr quint32 EndOfChain = 0xFFFFFFFEu;
constexpr quint32 FatSector = 0xFFFFFFFDu;
constexpr quint32 FreeSector = 0xFFFFFFFFu;
constexpr quint32 NoStream = 0xFFFFFFFFu;
constexpr int MiniStreamCutoff = 4096;

void put32(QByteArray& bytes, int at, quint32 value)
{
    qToLittleEndian<quint32>(value, bytes.data() + at);
}

void put16(QByteArray& bytes, int at, quint16 value)
{
    qToLittleEndian<quint16>(value, bytes.data() + at);
}

QByteArray directoryEntry(const QString& name, int type, quint32 child, quint32 right, quint32 start, quint32 size)
{
    QByteArray entry(128, '\0');
    for (int i = 0; i < name.size(); ++i)
        put16(entry, 2 * i, name.at(i).unicode());
    put16(entry, 64, quint16(2 * (name.size() + 1)));
    entry[66] = char(type);
    entry[67] = 1;
    put32(entry, 68, NoStream);
    put32(entry, 72, right);
    put32(entry, 76, child);
    put32(entry, 116, start);
    put32(entry, 120, size);
    return entry;
}

} // namespace

QByteArray u8(int value) { return QByteArray(1, char(value)); }

QByteArray u16(int value)
{
    QByteArray bytes(2, '\0');
    put16(bytes, 0, quint16(value));
    return bytes;
}

QByteArray u32(quint32 value)
{
    QByteArray bytes(4, '\0');
    put32(bytes, 0, value);
    return bytes;
}

QByteArray f64(double value)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<double>(value, bytes.data());
    return bytes;
}

QByteArray record(quint16 type, const QByteArray& data)
{
    return u16(type) + u16(int(data.size())) + data;
}

QByteArray wideString(const QString& text)
{
    QByteArray bytes = u16(int(text.size())) + u8(1);
    for (const QChar c : text)
        bytes += u16(c.unicode());
    return bytes;
}

QByteArray compoundFile(const QList<QPair<QString, QByteArray>>& streams)
{
    // Sector 0 holds the allocation table, sector 1 the directory, the streams follow.
    QByteArray fat(SectorSize, '\xFF');
    put32(fat, 0, FatSector);
    put32(fat, 4, EndOfChain);
    QByteArray data;
    QByteArray directory = directoryEntry(QStringLiteral("Root Entry"), 5, streams.isEmpty() ? NoStream : 1, NoStream,
                                          EndOfChain, 0);
    quint32 sector = 2;
    for (int i = 0; i < streams.size(); ++i) {
        QByteArray stream = streams[i].second;
        if (stream.size() < MiniStreamCutoff)
            stream.append(QByteArray(MiniStreamCutoff - stream.size(), '\0'));
        const quint32 sectors = quint32((stream.size() + SectorSize - 1) / SectorSize);
        for (quint32 s = 0; s < sectors; ++s)
            put32(fat, int(4 * (sector + s)), s + 1 < sectors ? sector + s + 1 : EndOfChain);
        const quint32 right = i + 1 < streams.size() ? quint32(i + 2) : NoStream;
        directory += directoryEntry(streams[i].first, 2, NoStream, right, sector, quint32(stream.size()));
        stream.append(QByteArray(int(sectors * SectorSize) - stream.size(), '\0'));
        data += stream;
        sector += sectors;
    }
    Q_ASSERT(sector <= SectorSize / 4);
    directory.append(QByteArray(SectorSize - directory.size() % SectorSize, '\0'));
    directory.truncate(SectorSize);

    QByteArray header(SectorSize, '\0');
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    put16(header, 24, 0x003E);
    put16(header, 26, 0x0003);
    put16(header, 28, 0xFFFE);
    put16(header, 30, 9);
    put16(header, 32, 6);
    put32(header, 44, 1);             // allocation table sectors
    put32(header, 48, 1);             // first directory sector
    put32(header, 56, MiniStreamCutoff);
    put32(header, 60, EndOfChain);    // no mini allocation table
    put32(header, 68, EndOfChain);    // no further allocation table list
    for (int i = 0; i < 109; ++i)
        put32(header, 76 + 4 * i, i == 0 ? 0 : FreeSector);
    return header + fat + directory + data;
}

} // namespace BiffBytes
