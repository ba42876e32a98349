#include "AccessReader.h"

#include "AccessDatabase.h"
#include "AccessTable.h"
#include "IsolatedRun.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"

#include <QDataStream>
#include <QDateTime>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 ProgressEvery = 1000;



constexpr char TableFrame = 'T';
constexpr char HeadingFrame = 'H';
constexpr char RowsFrame = 'R';
constexpr qsizetype RowsPerFrame = 256;

template <typename T>
QByteArray encoded(const T& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}

template <typename T>
T decoded(const QByteArray& bytes)
{
    T value;
    QDataStream stream(bytes);
    stream >> value;
    return value;
}

bool hasAccessSignature(const QByteArray& head)
{
    return head.size() >= 19 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4))
           && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

} // namespace

QString AccessReader::formatName() const
{
    return QStringLiteral("Access");
}

bool AccessReader::canRead(const QString& path) const
{
    return hasAccessSignature(SourceFileBytes::head(path, 32));
}

// libmdb trusts the sizes and counts a file gives; on a damaged file it may loop for hours or
// crash. So it reads in a child process, and the rows come back as frames.
QStringList AccessReader::tableNames(const QString& path) const
{
    if (!QFileInfo(path).isFile())
        throw SourceFileError::missing(path);
    QStringList names;
    IsolatedRun::run(
        path,
        [&path](const IsolatedRun::SendFrame& send) {
            const AccessDatabase database(path);
            for (MdbCatalogEntry* entry : database.tables())
                send(TableFrame, QByteArray(entry->object_name));
        },
        [&names](char kind, const QByteArray& payload) {
            if (kind == TableFrame)
                names << QString::fromUtf8(payload);
            return true;
        });
    // A damaged catalogue reads as one without tables; an Access file always has some.
    if (names.isEmpty())
        throw SourceFileError::unreadable(path, QStringLiteral("数据库中找不到任何表：文件可能已损坏，或是一个空的数据库。"));
    return names;
}

bool AccessReader::readTable(const QString& path, const QString& table, TableSink& sink,
                             const ReadProgress& progress) const
{
    if (!QFileInfo(path).isFile())
        throw SourceFileError::missing(path);
    qint64 read = 0;
    const bool completed = IsolatedRun::run(
        path,
        [&path, &table](const IsolatedRun::SendFrame& send) {
            const AccessDatabase database(path);
            for (MdbCatalogEntry* entry : database.tables()) {
                if (QString::fromUtf8(entry->object_name) != table)
                    continue;
                AccessTable rows(entry, path);
                send(HeadingFrame, encoded(rows.columnNames()));
                QList<QVariantList> batch;
                while (rows.fetch()) {
                    batch << rows.values();
                    if (batch.size() == RowsPerFrame) {
                        send(RowsFrame, encoded(batch));
                        batch.clear();
                    }
                }
                if (!batch.isEmpty())
                    send(RowsFrame, encoded(batch));
                return;
            }
            throw SourceFileError::unknownTable(path, table);
        },
        [&](char kind, const QByteArray& payload) {
            if (kind == HeadingFrame) {
                sink.begin(decoded<QStringList>(payload));
                return true;
            }
            for (const QVariantList& row : decoded<QList<QVariantList>>(payload)) {
                sink.addRow(row);
                if (++read % ProgressEvery == 0 && progress && !progress(read))
                    return false;
            }
            return true;
        });
    return completed && (!progress || progress(read));
}
