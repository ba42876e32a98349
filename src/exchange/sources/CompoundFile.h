#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// The compound file an .xls workbook is stored in (a small file system of sectors): finds a
// stream by name and reads it, following the sector chains. Every sector number, count and
// size comes from the file and is checked against it; a chain that loops or leaves the file
// makes the stream unreadable.
class CompoundFile {
public:
    // nullopt when the bytes are no readable compound file.
    static std::optional<CompoundFile> parse(const QByteArray& bytes);

    // The stream with this name (letter case ignored), or nullopt when there is none or it
    // cannot be read.
    std::optional<QByteArray> stream(const QString& name) const;

private:
    struct Entry {
        QString name;
        int type = 0;        // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint64 size = 0;
    };

    explicit CompoundFile(const QByteArray& bytes) : bytes_(bytes) {}
    bool readHeader();
    std::optional<QByteArray> chain(quint32 start, quint64 size) const;
    std::optional<QByteArray> miniChain(quint32 start, quint64 size) const;
    qsizetype sectorOffset(quint32 sector) const;

    QByteArray bytes_;
    quint32 sectorSize_ = 512;
    quint32 miniSectorSize_ = 64;
    quint32 miniCutoff_ = 4096;
    std::vector<quint32> fat_;
    std::vector<quint32> miniFat_;
    QByteArray miniStream_;
    std::vector<Entry> entries_;
};
