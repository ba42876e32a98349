#include "ImportRules.h"

#include "core/Recordset.h"
#include "core/SqlText.h"
#include "core/TextRules.h"

namespace ImportRules {

QStringList initialTargetColumns()
{
    return {QStringLiteral("营销对象"), QStringLiteral("电话1"),   QStringLiteral("电话2"),
            QStringLiteral("传真"),     QStringLiteral("联系人1"), QStringLiteral("联系人2"),
            QStringLiteral("地址"),     QStringLiteral("邮政编码"), QStringLiteral("Email")};
}

QString baseNameOf(const QString& fileTitle)
{
    const QString title = fileTitle.trimmed();
    // Four characters are the dot and a three-letter extension; the newer formats' longer
    // extensions (.xlsx, .accdb) go whole, or the name would keep a dot and a letter.
    const qsizetype dot = title.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && title.size() - dot - 1 > 3)
        return title.left(dot);
    return title.left(std::max<qsizetype>(0, title.size() - 4));
}

QString folderOf(const QString& fileName, const QString& fileTitle)
{
    return fileName.left(std::max<qsizetype>(0, fileName.size() - fileTitle.size() - 1));
}

QString positionText(const Recordset* recordset)
{
    if (!recordset || recordset->recordCount() == 0)
        return QStringLiteral("0");
    return TextRules::positionText(recordset->absolutePosition(), recordset->recordCount());
}

QString finishedPositionText(const Recordset* recordset)
{
    if (!recordset || recordset->recordCount() == 0)
        return QStringLiteral("0");
    const int position = std::max(0, recordset->absolutePosition());
    return QString::number(position) + QStringLiteral(" / ") + QString::number(recordset->recordCount());
}

MappingCheck checkMapping(int sourceColumns, int targetColumns)
{
    if (sourceColumns == 0 && targetColumns == 0)
        return MappingCheck::Nothing;
    if (sourceColumns != targetColumns)
        return MappingCheck::CountMismatch;
    return MappingCheck::Ready;
}

QString sourceSelect(const QStringList& sourceColumns, const QString& fromName)
{
    QStringList quoted;
    for (const QString& column : sourceColumns)
        quoted << SqlText::quoteName(column);
    return QStringLiteral("Select ") + quoted.join(QStringLiteral(", ")) + QStringLiteral(" From ") + fromName;
}

QString targetSelect(const QStringList& targetColumns)
{
    QStringList quoted{SqlText::quoteName(QStringLiteral("序号"))};
    for (const QString& column : targetColumns)
        quoted << SqlText::quoteName(column);
    quoted << SqlText::quoteName(QStringLiteral("记录号"));
    return QStringLiteral("Select ") + quoted.join(QStringLiteral(", ")) + QStringLiteral(" From \"clientTableInfo\"");
}

} // namespace ImportRules
