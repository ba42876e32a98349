#include "WriteFailure.h"

#include <QDir>
#include <cerrno>

namespace WriteFailure {

QString describe(int error, const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘已满，无法写入“%1”。").arg(name);
    case EFBIG:
        return QStringLiteral("文件“%1”超过了系统允许的大小，无法写完。").arg(name);
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入“%1”的权限。").arg(name);
    case EROFS:
        return QStringLiteral("“%1”所在的磁盘是只读的。").arg(name);
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("找不到“%1”所在的文件夹。").arg(name);
    case ENAMETOOLONG:
        return QStringLiteral("文件名“%1”太长。").arg(name);
    default:
        return QStringLiteral("无法写入“%1”（系统错误 %2）。").arg(name).arg(error);
    }
}

} // namespace WriteFailure
