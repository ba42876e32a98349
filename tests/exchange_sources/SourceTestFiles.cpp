#include "SourceTestFiles.h"

#include "core/Connection.h"
#include "core/Recordset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString SourceTestFiles::fixture(const QString& name)
{
    QString folder = qEnvironmentVariable("MARQUEL_FIXTURES");
    if (folder.isEmpty())
        folder = QStringLiteral(MARQUEL_SOURCE_DIR "/../shared/fixtures");
    const QString path = QDir(folder).filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

QString SourceTestFiles::write(const QString& name, const QByteArray& bytes) const
{
    const QString filePath = dir_.filePath(name);
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return filePath;
}

QList<QStringList> rowTexts(const std::shared_ptr<Connection>& connection, const QString& statement)
{
    Recordset rows(connection, statement);
    QList<QStringList> result;
    for (int r = 0; r < rows.recordCount(); ++r) {
        rows.setAbsolutePosition(r + 1);
        QStringList texts;
        for (int c = 0; c < rows.fieldCount(); ++c)
            texts << rows.text(c);
        result << texts;
    }
    return result;
}

QStringList fieldNames(const std::shared_ptr<Connection>& connection, const QString& statement)
{
    Recordset rows(connection, statement);
    QStringList names;
    for (int c = 0; c < rows.fieldCount(); ++c)
        names << rows.field(c).name;
    return names;
}
