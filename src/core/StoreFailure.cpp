#include "StoreFailure.h"

namespace StoreFailures {

namespace {

QString said(StoreFailure kind)
{
    switch (kind) {
    case StoreFailure::Busy:
        return QStringLiteral("数据库正被其他程序使用，请稍后再试。");
    case StoreFailure::ReadOnly:
        return QStringLiteral("数据库是只读的，不能保存修改。");
    case StoreFailure::NoRight:
        return QStringLiteral("数据库用户没有这样做的权限，请数据库管理员授予。");
    case StoreFailure::RowChanged:
        return QStringLiteral("该记录已被删除，或在读取后已被其他操作修改，本次修改没有保存。请重新打开后再试。");
    case StoreFailure::ValueRefused:
        return QStringLiteral("数据库拒绝了这次修改。");
    case StoreFailure::ConnectionLost:
        return QStringLiteral("与数据库服务器的连接已断开，这次操作没有完成，修改没有保存。"
                              "程序会在下一次操作时自动重新连接，请稍后再试一次。");
    case StoreFailure::DiskFull:
        return QStringLiteral("磁盘已满，不能保存修改。");
    case StoreFailure::DiskError:
        return QStringLiteral("无法写入数据库：磁盘出错，或文件超过了系统允许的大小。");
    case StoreFailure::Damaged:
        return QStringLiteral("无法识别的数据库格式，文件可能已损坏。");
    case StoreFailure::CannotOpen:
        return QStringLiteral("无法打开数据库。");
    case StoreFailure::Other:
        break;
    }
    return QStringLiteral("数据库错误：语句无法执行。");
}

} // namespace

QString message(StoreFailure kind, const QString& detail)
{
    if (detail.isEmpty())
        return said(kind);
    return said(kind) + QStringLiteral("（%1）").arg(detail);
}

} // namespace StoreFailures
