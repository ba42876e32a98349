#include "SheetNames.h"

namespace SheetNames {

QString problem(const QString& name, const QStringList& existing)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("工作表名不能为空。");
    if (name.size() > MaxLength)
        return QStringLiteral("工作表名不能超过 %1 个字符。").arg(MaxLength);
    static const QString forbidden = QStringLiteral(":\\/?*[]");
    for (QChar c : name)
        if (forbidden.contains(c) || c.category() == QChar::Other_Control)
            return QStringLiteral("工作表名不能含有 : \\ / ? * [ ] 和控制字符。");
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return QStringLiteral("工作表名不能以单引号开头或结尾。");
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("“History”是 Excel 保留的工作表名。");
    for (const QString& other : existing)
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            return QStringLiteral("工作表“%1”已存在。").arg(name);
    return QString();
}

} // namespace SheetNames
