#include "DbaseDestination.h"

#include "DbaseFieldNames.h"
#include "OutputFile.h"
#include "SourceRows.h"
#include "core/DbError.h"
#include "core/SelectStatement.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <shapefil.h>

namespace {

constexpr int MaxCharacterWidth = 254;
constexpr int IntegerWidth = 11;
constexpr int RealWidth = 19;
constexpr int RealDecimals = 6;

struct DbaseField {
    QByteArray name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

DbaseField fieldFor(const FieldInfo& field, const QByteArray& name)
{
    switch (field.kind) {
    case FieldInfo::Kind::Text:
        return {name, 'C', std::clamp(field.declaredSize * 2, 1, MaxCharacterWidth), 0};
    case FieldInfo::Kind::Integer:
        return {name, 'N', IntegerWidth, 0};
    case FieldInfo::Kind::Real:
        return {name, 'N', RealWidth, RealDecimals};
    case FieldInfo::Kind::Date:
        return {name, 'D', 8, 0};
    case FieldInfo::Kind::Binary:
        throw DbError(QStringLiteral("字段“%1”是二进制数据，不能导出到 dBase 文件。").arg(field.name));
    case FieldInfo::Kind::LongText:
    case FieldInfo::Kind::Any:
        break;
    }
    return {name, 'C', MaxCharacterWidth, 0};
}

// Closes the table whatever happens, so its file can be removed after a failure.
class DbaseFile {
public:
    explicit DbaseFile(const QString& path)
        : handle_(DBFCreateEx(QFile::encodeName(path).constData(),
                              QByteArray("LDID/" + QByteArray::number(DbaseDestination::LanguageDriverGbk)).constData()))
    {
        if (!handle_)
            throw DbError(QStringLiteral("无法创建 dBase 文件“%1”。").arg(path));
    }
    ~DbaseFile() { close(); }
    DbaseFile(const DbaseFile&) = delete;
    DbaseFile& operator=(const DbaseFile&) = delete;

    DBFHandle handle() const { return handle_; }
    void close()
    {
        if (handle_)
            DBFClose(handle_);
        handle_ = nullptr;
    }

private:
    DBFHandle handle_;
};

QString dbfFileName(const QString& table)
{
    const QString name = table.trimmed();
    return QFileInfo(name).suffix().isEmpty() ? name + QStringLiteral(".dbf") : name;
}

bool writeValue(DBFHandle handle, int row, int column, const DbaseField& field, const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return DBFWriteNULLAttribute(handle, row, column);
    switch (field.type) {
    case 'N':
        return DBFWriteDoubleAttribute(handle, row, column, value.toDouble());
    case 'D': {
        const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (!date.isValid())
            return false;
        return DBFWriteStringAttribute(handle, row, column, date.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData());
    }
    default: {
        const QString text = value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d"))
                                                                 : value.toString();
        const QByteArray bytes = DbaseFieldNames::encode(text);
        // shapelib would cut a longer text silently; refuse it instead.
        if (bytes.size() > field.width)
            return false;
        return DBFWriteStringAttribute(handle, row, column, bytes.constData());
    }
    }
}

} // namespace

int DbaseDestination::write(Connection& source, const SelectIntoStatement& statement)
{
    if (statement.table.trimmed().isEmpty())
        throw DbError(QStringLiteral("文件名不能为空。"));
    if (statement.database.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定保存 dBase 文件的文件夹。"));
    const QDir folder(statement.database);
    const QString finalPath = folder.filePath(dbfFileName(statement.table));
    const QString codePagePath = folder.filePath(QFileInfo(finalPath).completeBaseName() + QStringLiteral(".cpg"));
    if (QFileInfo::exists(finalPath))
        throw DbError(QStringLiteral("文件“%1”已存在。").arg(finalPath));

    OutputFile output(finalPath);
    SourceRows rows(source, statement.sourceQuery);
    const QList<QByteArray> names = DbaseFieldNames::fitted(rows.fieldNames());
    QList<DbaseField> fields;
    for (int c = 0; c < rows.fields().size(); ++c)
        fields.append(fieldFor(rows.fields()[c], names[c]));

    // shapelib names the file itself (base name + ".dbf"); it gets the chosen name at the end.
    const QString written = output.companionTemporaryPath(QStringLiteral("marquel-export.dbf"));
    int count = 0;
    {
        DbaseFile file(written);
        for (const DbaseField& field : fields)
            if (DBFAddNativeFieldType(file.handle(), field.name.constData(), field.type, field.width, field.decimals) < 0)
                throw DbError(QStringLiteral("无法在 dBase 文件中建立字段“%1”。").arg(QString::fromUtf8(field.name)));
        while (rows.next()) {
            for (int c = 0; c < fields.size(); ++c) {
                if (!writeValue(file.handle(), count, c, fields[c], rows.value(c)))
                    throw DbError(QStringLiteral("第 %1 行字段“%2”的值放不进 dBase 字段（宽 %3）。")
                                      .arg(count + 1)
                                      .arg(rows.fields()[c].name)
                                      .arg(fields[c].width));
            }
            reportRow(++count);
        }
        file.close();
    }
    if (!QFile::rename(written, output.temporaryPath()))
        throw DbError(QStringLiteral("无法写入文件“%1”。").arg(finalPath));
    QFile codePage(output.companionTemporaryPath(codePagePath));
    if (!codePage.open(QIODevice::WriteOnly) || codePage.write("936") != 3)
        throw DbError(QStringLiteral("无法写入文件“%1”。").arg(codePagePath));
    codePage.close();
    output.commit({codePagePath});
    return count;
}
