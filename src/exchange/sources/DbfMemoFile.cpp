#include "DbfMemoFile.h"

#include "SourceFileError.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>

namespace {

constexpr qint64 MaxMemoLength = 64 * 1024 * 1024;
constexpr qint64 DBaseIIIChunk = 4096;

} // namespace

QString DbfMemoFile::findFor(const QString& tablePath, bool foxPro)
{
    const QFileInfo table(tablePath);
    const QString wanted = foxPro ? QStringLiteral("fpt") : QStringLiteral("dbt");
    const QDir folder = table.absoluteDir();
    const QStringList candidates = folder.entryList(QDir::Files);
    for (const QString& name : candidates) {
        const QFileInfo memo(folder.filePath(name));
        if (memo.completeBaseName() == table.completeBaseName()
            && memo.suffix().compare(wanted, Qt::CaseInsensitive) == 0)
            return memo.filePath();
    }
    // Some writers give a FoxPro table a .dbt or the other way round.
    const QString other = foxPro ? QStringLiteral("dbt") : QStringLiteral("fpt");
    for (const QString& name : candidates) {
        const QFileInfo memo(folder.filePath(name));
        if (memo.completeBaseName() == table.completeBaseName()
            && memo.suffix().compare(other, Qt::CaseInsensitive) == 0)
            return memo.filePath();
    }
    return {};
}

DbfMemoFile::DbfMemoFile(const QString& path, Kind kind)
    : file_(path), path_(path), kind_(kind)
{
    if (!file_.open(QIODevice::ReadOnly))
        throw SourceFileError::cannotOpen(path);
    size_ = file_.size();
    if (path.endsWith(QLatin1String("fpt"), Qt::CaseInsensitive))
        kind_ = Kind::FoxPro;
    const QByteArray header = file_.read(512);
    if (header.size() < 8)
        throw SourceFileError::corrupt(path);
    if (kind_ == Kind::FoxPro)
        blockSize_ = qFromBigEndian<quint16>(header.constData() + 6);
    else if (kind_ == Kind::DBaseIV && header.size() >= 22)
        blockSize_ = qFromLittleEndian<quint16>(header.constData() + 20);
    if (blockSize_ == 0)
        blockSize_ = kind_ == Kind::FoxPro ? 64 : 512;
}

std::optional<QByteArray> DbfMemoFile::read(quint32 block)
{
    if (block == 0)
        return QByteArray();
    const qint64 start = qint64(block) * blockSize_;
    if (start >= size_ || !file_.seek(start))
        return std::nullopt;

    if (kind_ == Kind::DBaseIII) {
        QByteArray memo;
        while (memo.size() < MaxMemoLength) {
            const QByteArray chunk = file_.read(DBaseIIIChunk);
            const qsizetype end = chunk.indexOf('\x1A');
            if (end >= 0)
                return memo + chunk.left(end);
            memo += chunk;
            if (chunk.size() < DBaseIIIChunk)
                return memo;   // the last memo may end with the file
        }
        return std::nullopt;
    }

    const QByteArray head = file_.read(8);
    if (head.size() < 8)
        return std::nullopt;
    qint64 length = 0;
    if (kind_ == Kind::FoxPro) {
        length = qFromBigEndian<quint32>(head.constData() + 4);
    } else {
        // dBase IV: FF FF 08 00, then the length counting these eight bytes.
        if (static_cast<unsigned char>(head.at(0)) != 0xFF || static_cast<unsigned char>(head.at(1)) != 0xFF) {
            // A dBase III style memo inside a dBase IV file: read up to the end mark.
            kind_ = Kind::DBaseIII;
            auto memo = read(block);
            kind_ = Kind::DBaseIV;
            return memo;
        }
        length = qint64(qFromLittleEndian<quint32>(head.constData() + 4)) - 8;
    }
    if (length < 0 || length > MaxMemoLength || start + 8 + length > size_)
        return std::nullopt;
    QByteArray memo = file_.read(length);
    if (memo.size() != length)
        return std::nullopt;
    return memo;
}
