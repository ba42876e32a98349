#include "CompoundFile.h"

#include <QtEndian>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr int HeaderSize = 512;
constexpr int DirectoryEntrySize = 128;

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

} // namespace

qsizetype CompoundFile::sectorOffset(quint32 sector) const
{
    const quint64 offset = quint64(sector + 1) * sectorSize_;
    if (sector >= 0xFFFFFFFA || offset + sectorSize_ > quint64(bytes_.size()))
        return -1;
    return qsizetype(offset);
}

std::optional<CompoundFile> CompoundFile::parse(const QByteArray& bytes)
{
    CompoundFile file(bytes);
    if (!file.readHeader())
        return std::nullopt;
    return file;
}

bool CompoundFile::readHeader()
{
    if (bytes_.size() < HeaderSize || !bytes_.startsWith(QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)))
        return false;
    const quint16 sectorShift = u16(bytes_, 30);
    const quint16 miniShift = u16(bytes_, 32);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6)
        return false;
    sectorSize_ = 1u << sectorShift;
    miniSectorSize_ = 1u << miniShift;
    const quint32 fatSectors = u32(bytes_, 44);
    const quint32 firstDirectory = u32(bytes_, 48);
    miniCutoff_ = u32(bytes_, 56);
    const quint32 firstMiniFat = u32(bytes_, 60);
    const quint32 miniFatSectors = u32(bytes_, 64);
    quint32 difatSector = u32(bytes_, 68);
    const quint32 difatSectors = u32(bytes_, 72);
    const quint64 totalSectors = quint64(bytes_.size()) / sectorSize_;
    if (fatSectors > totalSectors || difatSectors > totalSectors || miniFatSectors > totalSectors)
        return false;

    // The sectors that hold the allocation table: 109 in the header, the rest in a chain.
    std::vector<quint32> fatSectorList;
    for (int i = 0; i < 109 && fatSectorList.size() < fatSectors; ++i)
        fatSectorList.push_back(u32(bytes_, 76 + 4 * i));
    for (quint32 n = 0; n < difatSectors && fatSectorList.size() < fatSectors; ++n) {
        const qsizetype at = sectorOffset(difatSector);
        if (at < 0)
            return false;
        const quint32 perSector = sectorSize_ / 4 - 1;
        for (quint32 i = 0; i < perSector && fatSectorList.size() < fatSectors; ++i)
            fatSectorList.push_back(u32(bytes_, at + 4 * i));
        difatSector = u32(bytes_, at + 4 * perSector);
    }
    if (fatSectorList.size() != fatSectors)
        return false;
    for (const quint32 sector : fatSectorList) {
        const qsizetype at = sectorOffset(sector);
        if (at < 0)
            return false;
        for (quint32 i = 0; i < sectorSize_ / 4; ++i)
            fat_.push_back(u32(bytes_, at + 4 * i));
    }

    const std::optional<QByteArray> directory = chain(firstDirectory, 0);
    if (!directory)
        return false;
    for (qsizetype at = 0; at + DirectoryEntrySize <= directory->size(); at += DirectoryEntrySize) {
        Entry entry;
        const int nameBytes = std::min<int>(u16(*directory, at + 64), 64);
        entry.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(directory->constData() + at),
                                        std::max(0, nameBytes / 2 - 1));
        entry.type = static_cast<unsigned char>(directory->at(at + 66));
        entry.start = u32(*directory, at + 116);
        entry.size = u32(*directory, at + 120);   // the high half is not used by sector size 512
        entries_.push_back(entry);
    }
    if (entries_.empty() || entries_.front().type != 5)
        return false;

    if (miniFatSectors > 0 && firstMiniFat != EndOfChain) {
        const std::optional<QByteArray> table = chain(firstMiniFat, 0);
        if (!table)
            return false;
        for (qsizetype at = 0; at + 4 <= table->size(); at += 4)
            miniFat_.push_back(u32(*table, at));
        const std::optional<QByteArray> stream = chain(entries_.front().start, entries_.front().size);
        if (!stream)
            return false;
        miniStream_ = *stream;
    }
    return true;
}

// The sectors of a chain one after the other; size 0 takes the whole chain.
std::optional<QByteArray> CompoundFile::chain(quint32 start, quint64 size) const
{
    QByteArray data;
    quint32 sector = start;
    for (size_t steps = 0; sector != EndOfChain; ++steps) {
        if (steps > fat_.size() || sector >= fat_.size())
            return std::nullopt;   // a loop, or a sector outside the table
        const qsizetype at = sectorOffset(sector);
        if (at < 0)
            return std::nullopt;
        data.append(bytes_.constData() + at, sectorSize_);
        if (size > 0 && quint64(data.size()) >= size)
            break;
        sector = fat_[sector];
    }
    if (quint64(data.size()) < size)
        return std::nullopt;
    if (size > 0)
        data.truncate(qsizetype(size));
    return data;
}

std::optional<QByteArray> CompoundFile::miniChain(quint32 start, quint64 size) const
{
    QByteArray data;
    quint32 sector = start;
    for (size_t steps = 0; quint64(data.size()) < size; ++steps) {
        if (sector == EndOfChain || steps > miniFat_.size() || sector >= miniFat_.size())
            return std::nullopt;
        const quint64 at = quint64(sector) * miniSectorSize_;
        if (at + miniSectorSize_ > quint64(miniStream_.size()))
            return std::nullopt;
        data.append(miniStream_.constData() + at, miniSectorSize_);
        sector = miniFat_[sector];
    }
    data.truncate(qsizetype(size));
    return data;
}

std::optional<QByteArray> CompoundFile::stream(const QString& name) const
{
    for (const Entry& entry : entries_) {
        if (entry.type != 2 || entry.name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (entry.size > quint64(bytes_.size()))
            return std::nullopt;
        if (entry.size < miniCutoff_)
            return miniChain(entry.start, entry.size);
        return chain(entry.start, entry.size);
    }
    return std::nullopt;
}
