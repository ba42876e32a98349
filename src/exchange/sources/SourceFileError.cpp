#include "SourceFileError.h"

namespace SourceFileError {

DbError unreadable(const QString& path, const QString& reason)
{
    return DbError(QStringLiteral("无法读取文件“%1”：%2").arg(path, reason));
}

DbError corrupt(const QString& path)
{
    return unreadable(path, QStringLiteral("文件已损坏或格式不对。"));
}

DbError missing(const QString& path)
{
    return unreadable(path, QStringLiteral("找不到该文件。"));
}

DbError cannotOpen(const QString& path)
{
    return unreadable(path, QStringLiteral("文件无法打开，可能正被其他程序使用或没有读取权限。"));
}

DbError empty(const QString& path)
{
    return unreadable(path, QStringLiteral("文件是空的。"));
}

DbError unknownFormat(const QString& path)
{
    return unreadable(path, QStringLiteral("不是可以导入的 Access、Excel、dBase 或 CSV 文件。"));
}

DbError passwordProtected(const QString& path)
{
    return unreadable(path, QStringLiteral("文件设有打开密码，没有密码无法读取。请在 Excel 中去掉密码另存后再导入。"));
}

DbError unknownTable(const QString& path, const QString& table)
{
    return unreadable(path, QStringLiteral("文件中没有表“%1”。").arg(table));
}

} // namespace SourceFileError
