#include "OutputFile.h"

#include "core/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

QString folderTemplate(const QString& finalPath)
{
    const QFileInfo info(finalPath);
    return info.absoluteDir().filePath(QStringLiteral(".marquel-export-XXXXXX"));
}

} // namespace

OutputFile::OutputFile(const QString& finalPath)
    : finalPath_(QFileInfo(finalPath).absoluteFilePath()), folder_(folderTemplate(finalPath))
{
    if (!QFileInfo(finalPath_).absoluteDir().exists())
        throw DbError(QStringLiteral("找不到文件夹“%1”。").arg(QFileInfo(finalPath_).absolutePath()));
    if (!folder_.isValid())
        throw DbError(QStringLiteral("无法在文件夹“%1”中写入文件。").arg(QFileInfo(finalPath_).absolutePath()));
    temporaryPath_ = folder_.filePath(QFileInfo(finalPath_).fileName());
}

QString OutputFile::companionTemporaryPath(const QString& finalCompanionPath) const
{
    return folder_.filePath(QFileInfo(finalCompanionPath).fileName());
}

void OutputFile::commit(const QStringList& finalCompanionPaths)
{
    QStringList finalPaths = finalCompanionPaths;
    finalPaths << finalPath_;
    for (const QString& path : finalPaths)
        if (QFileInfo::exists(path))
            throw DbError(QStringLiteral("文件“%1”已存在。").arg(path));
    QStringList moved;
    for (const QString& companion : finalCompanionPaths) {
        if (!QFile::rename(companionTemporaryPath(companion), companion)) {
            for (const QString& done : moved)
                QFile::remove(done);
            throw DbError(QStringLiteral("无法写入文件“%1”。").arg(companion));
        }
        moved << companion;
    }
    // QFile::rename never replaces a file: one that appeared meanwhile is kept.
    if (!QFile::rename(temporaryPath_, finalPath_)) {
        for (const QString& done : moved)
            QFile::remove(done);
        throw DbError(QStringLiteral("无法写入文件“%1”。").arg(finalPath_));
    }
}

void OutputFile::commitReplacing()
{
    // rename() replaces the old file in one step: readers see the old or the new workbook.
    if (std::rename(QFile::encodeName(temporaryPath_).constData(), QFile::encodeName(finalPath_).constData()) != 0)
        throw DbError(QStringLiteral("无法写入文件“%1”。").arg(finalPath_));
}
