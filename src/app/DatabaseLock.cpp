#include "DatabaseLock.h"

#include "core/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

DatabaseLock::DatabaseLock(const QString& databasePath)
    : lock_(std::make_unique<QLockFile>(databasePath + QStringLiteral(".lock")))
{
    // Only a live copy of the program keeps the lock; the lock of one that crashed is
    // recognised by its process being gone and taken over.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return;
    if (lock_->error() == QLockFile::LockFailedError)
        throw DbError(QStringLiteral("数据库“%1”已由另一个正在运行的 Marquel 打开。同一个数据库同时只能由一个 Marquel 使用。")
                          .arg(QDir::toNativeSeparators(databasePath)));
    throw DbError(QStringLiteral("无法在“%1”中建立锁文件，数据库不能安全使用。请检查该文件夹的写入权限。")
                      .arg(QDir::toNativeSeparators(QFileInfo(databasePath).absolutePath())));
}

DatabaseLock::~DatabaseLock() = default;
