#include "DatabaseLocation.h"

#include "core/DbError.h"
#include "core/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// An installed program finds what it is delivered with in ../share/marquel.
QString sharedFolderOf(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/marquel"));
}

bool isWritableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

// Copied under a temporary name and renamed once whole: a full disk leaves no half database.
void copyDelivered(const QString& from, const QString& to)
{
    const QString partial = to + QStringLiteral(".part");
    QFile::remove(partial);
    if (!QFile::copy(from, partial)) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("无法把数据库“%1”复制为“%2”：磁盘可能已满，或者没有写入的权限。没有建立数据库。")
                          .arg(QDir::toNativeSeparators(from), QDir::toNativeSeparators(to)));
    }
    // The delivered file belongs to the administrator and is read-only; the user's copy is theirs.
    QFile::setPermissions(partial, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!QFile::rename(partial, to)) {
        QFile::remove(partial);
        throw DbError(QStringLiteral("无法建立数据库“%1”。").arg(QDir::toNativeSeparators(to)));
    }
}

} // namespace

DatabaseLocation DatabaseLocation::decide(const QString& programFolder, const QString& userDataHome)
{
    DatabaseLocation location;
    const QString beside = QDir(programFolder).filePath(Schema::MainDatabaseName);
    const QString shared = QDir(sharedFolderOf(programFolder)).filePath(Schema::MainDatabaseName);
    // A folder holding a database of its own, or one without an installation around it, keeps
    // its database beside the program as long as it can be written.
    const bool portable = QFileInfo::exists(beside) || !QFileInfo::exists(shared);
    if (portable && isWritableFolder(programFolder)) {
        location.folder_ = QDir::cleanPath(programFolder);
        return location;
    }
    location.besideProgram_ = false;
    location.folder_ = QDir::cleanPath(userDataHome + QStringLiteral("/Marquel"));
    // An older installation kept the delivered database beside the program.
    location.delivered_ = QFileInfo::exists(shared) ? shared : beside;
    return location;
}

DatabaseLocation DatabaseLocation::forThisProgram()
{
    return decide(QCoreApplication::applicationDirPath(),
                  QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString DatabaseLocation::mainDatabase() const
{
    return QDir(folder_).filePath(Schema::MainDatabaseName);
}

bool DatabaseLocation::prepare() const
{
    if (besideProgram_ || QFileInfo::exists(mainDatabase())) {
        if (!besideProgram_)
            Schema::ensureExportDatabase(QDir(folder_).filePath(Schema::ExportDatabaseName));
        return false;
    }
    if (!QDir().mkpath(folder_) || !isWritableFolder(folder_))
        throw DbError(QStringLiteral("无法建立存放数据库的文件夹“%1”：没有写入的权限。").arg(QDir::toNativeSeparators(folder_)));
    if (QFileInfo::exists(delivered_))
        copyDelivered(delivered_, mainDatabase());
    else
        Schema::createMainDatabase(mainDatabase());
    Schema::ensureExportDatabase(QDir(folder_).filePath(Schema::ExportDatabaseName));
    return true;
}

QString DatabaseLocation::madeNotice() const
{
    return QStringLiteral("已为您建立了自己的数据库：\n%1\n您记录的数据都保存在这里，导出用的数据库“%2”也在同一个文件夹中。"
                          "其他用户各有自己的数据库。")
        .arg(QDir::toNativeSeparators(mainDatabase()), Schema::ExportDatabaseName);
}
