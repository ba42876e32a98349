#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <optional>

// The memo file beside a dBase table: a dBase III .dbt (blocks of 512 bytes, a text ends at
// 0x1A), a dBase IV .dbt (blocks with a length header) or a FoxPro .fpt (big-endian block size
// and lengths). Block numbers and lengths come from the file and are checked against its size.
class DbfMemoFile {
public:
    enum class Kind { DBaseIII, DBaseIV, FoxPro };

    // The memo file of the table at tablePath (same base name, .dbt or .fpt in any letter
    // case), or an empty string when there is none.
    static QString findFor(const QString& tablePath, bool foxPro);

    // Opens the memo file; throws DbError naming the file when it cannot be read.
    DbfMemoFile(const QString& path, Kind kind);

    // The bytes of the memo starting at the block; nullopt when the block or its length lies
    // outside the file. Block 0 is no memo (the header), and gives an empty memo.
    std::optional<QByteArray> read(quint32 block);

private:
    QFile file_;
    QString path_;
    Kind kind_;
    qint64 size_ = 0;
    quint32 blockSize_ = 512;
};
