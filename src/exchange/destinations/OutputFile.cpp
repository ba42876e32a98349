#include "OutputFile.h"

#include "WriteFailure.h"
#include "core/DbError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>

namespace {

// When this program started: a private folder older than that belongs to no running export.
const QDateTime ProgramStart = QDateTime::currentDateTimeUtc();

QString makeFolder(const QString& parent)
{
    QByteArray pattern = QFile::encodeName(QDir(parent).filePath(OutputFile::FolderPrefix + QStringLiteral("XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw DbError(WriteFailure::describe(errno, parent));
    return QFile::decodeName(pattern);
}

// rename() that never replaces a file; false with errno EEXIST when there is one.
bool renameNoReplace(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system that cannot rename without replacing: look first.
    if (QFileInfo::exists(to)) {
        errno = EEXIST;
        return false;
    }
    return std::rename(source.constData(), target.constData()) == 0;
}

QString exists(const QString& path)
{
    return QStringLiteral("文件“%1”已存在。").arg(QDir::toNativeSeparators(path));
}

} // namespace

OutputFile::OutputFile(const QString& finalPath)
    : finalPath_(QFileInfo(finalPath).absoluteFilePath())
{
    const QString parent = QFileInfo(finalPath_).absolutePath();
    if (!QFileInfo(parent).isDir())
        throw DbError(QStringLiteral("找不到文件夹“%1”。").arg(QDir::toNativeSeparators(parent)));
    removeStaleFolders(parent);
    folder_ = makeFolder(parent);
    temporaryPath_ = QDir(folder_).filePath(QFileInfo(finalPath_).fileName());
}

OutputFile::~OutputFile()
{
    QDir(folder_).removeRecursively();
}

QString OutputFile::companionTemporaryPath(const QString& finalCompanionPath) const
{
    return QDir(folder_).filePath(QFileInfo(finalCompanionPath).fileName());
}

void OutputFile::commit(const QStringList& finalCompanionPaths)
{
    if (!renameNoReplace(temporaryPath_, finalPath_))
        throw DbError(errno == EEXIST ? exists(finalPath_) : WriteFailure::describe(errno, finalPath_));
    for (const QString& companion : finalCompanionPaths) {
        if (std::rename(QFile::encodeName(companionTemporaryPath(companion)).constData(),
                        QFile::encodeName(companion).constData())
            != 0) {
            const int error = errno;
            QFile::remove(finalPath_);
            throw DbError(WriteFailure::describe(error, companion));
        }
    }
}

void OutputFile::commitReplacing()
{
    if (std::rename(QFile::encodeName(temporaryPath_).constData(), QFile::encodeName(finalPath_).constData()) != 0)
        throw DbError(WriteFailure::describe(errno, finalPath_));
}

void OutputFile::removeStaleFolders(const QString& folder)
{
    const QFileInfoList entries = QDir(folder).entryInfoList({FolderPrefix + QStringLiteral("??????")},
                                                             QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries)
        if (!entry.isSymLink() && entry.lastModified().toUTC() < ProgramStart)
            QDir(entry.absoluteFilePath()).removeRecursively();
}
