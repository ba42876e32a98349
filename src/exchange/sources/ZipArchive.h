#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

struct zip;
struct zip_file;

// A zip file opened for reading (the package of an .xlsx workbook). Entries are found by name
// (letter case ignored) and read whole or as a stream.
class ZipArchive {
public:
    // Throws DbError naming the file when it is no readable zip file.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    static bool isZip(const QString& path);

    bool contains(const QString& entry) const;
    // The whole entry; throws DbError when it is missing, damaged or larger than maxBytes.
    QByteArray read(const QString& entry, qint64 maxBytes) const;
    // The entry as a sequential device, for reading it piece by piece; throws DbError when it
    // is missing. A damaged entry ends the device's data early; damaged() then says so.
    std::unique_ptr<QIODevice> open(const QString& entry) const;
    // The same, inflated ahead on a second thread, for a long entry read to its end (a sheet's
    // rows, the shared strings). No other entry may be read while it is open.
    std::unique_ptr<QIODevice> openReadingAhead(const QString& entry) const;
    static bool damaged(const QIODevice& entryDevice);

    const QString& path() const { return path_; }

private:
    qint64 indexOf(const QString& entry) const;

    QString path_;
    zip* archive_ = nullptr;
};
