#include "ZipArchive.h"

#include "ReadAheadDevice.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"

#include <zip.h>

namespace {

const QString DamagedMark = QStringLiteral("damaged zip entry");

// One entry of the archive as a sequential device for QXmlStreamReader.
class ZipEntryDevice : public QIODevice {
public:
    explicit ZipEntryDevice(zip_file_t* file) : file_(file)
    {
        QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    ~ZipEntryDevice() override { zip_fclose(file_); }
    bool isSequential() const override { return true; }
    bool atEnd() const override { return ended_; }
    qint64 bytesAvailable() const override { return ended_ ? 0 : 65536; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (ended_)
            return -1;
        const zip_int64_t got = zip_fread(file_, data, zip_uint64_t(maxSize));
        if (got <= 0) {
            ended_ = true;
            if (got < 0)
                setErrorString(DamagedMark);
            return got < 0 ? -1 : 0;
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    zip_file_t* file_;
    bool ended_ = false;
};

} // namespace

ZipArchive::ZipArchive(const QString& path) : path_(path)
{
    int error = 0;
    archive_ = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    if (!archive_) {
        if (error == ZIP_ER_OPEN || error == ZIP_ER_READ)
            throw SourceFileError::cannotOpen(path);
        throw SourceFileError::corrupt(path);
    }
}

ZipArchive::~ZipArchive()
{
    if (archive_)
        zip_discard(archive_);
}

bool ZipArchive::isZip(const QString& path)
{
    return SourceFileBytes::head(path, 4) == QByteArray("PK\x03\x04", 4);
}

qint64 ZipArchive::indexOf(const QString& entry) const
{
    return zip_name_locate(archive_, entry.toUtf8().constData(), ZIP_FL_NOCASE);
}

bool ZipArchive::contains(const QString& entry) const
{
    return indexOf(entry) >= 0;
}

QByteArray ZipArchive::read(const QString& entry, qint64 maxBytes) const
{
    std::unique_ptr<QIODevice> device = open(entry);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const qint64 got = device->read(buffer, sizeof buffer);
        if (got < 0 && damaged(*device))
            throw SourceFileError::corrupt(path_);
        if (got <= 0)
            break;
        if (bytes.size() + got > maxBytes)
            throw SourceFileError::unreadable(path_, QStringLiteral("文件内容过大，无法读取。"));
        bytes.append(buffer, got);
    }
    return bytes;
}

std::unique_ptr<QIODevice> ZipArchive::open(const QString& entry) const
{
    const qint64 index = indexOf(entry);
    if (index < 0)
        throw SourceFileError::corrupt(path_);
    zip_file_t* file = zip_fopen_index(archive_, zip_uint64_t(index), 0);
    if (!file)
        throw SourceFileError::corrupt(path_);
    return std::make_unique<ZipEntryDevice>(file);
}

std::unique_ptr<QIODevice> ZipArchive::openReadingAhead(const QString& entry) const
{
    return std::make_unique<ReadAheadDevice>(open(entry));
}

bool ZipArchive::damaged(const QIODevice& entryDevice)
{
    return entryDevice.errorString() == DamagedMark;
}
