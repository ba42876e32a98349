#include "DbaseWriter.h"

#include "DbaseFieldNames.h"
#include "DbaseTableFile.h"
#include "DbaseText.h"
#include "OutputFile.h"
#include "SourceRows.h"
#include "WriteFailure.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

constexpr int MaxCharacterWidth = 254;
constexpr int IntegerWidth = 11;
constexpr int RealWidth = 19;
constexpr int RealDecimals = 6;

using DbaseField = DbaseTableFile::Field;

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

QString dbfFileName(const QString& name)
{
    const QString trimmed = name.trimmed();
    return QFileInfo(trimmed).suffix().isEmpty() ? trimmed + QStringLiteral(".dbf") : trimmed;
}

// Puts one value into the record; false when a number does not fit its field. `changed`
// is set when a text had to be cut or had characters replaced.
bool putValue(DbaseTableFile& file, int column, const DbaseTableFile::Field& field, const QVariant& value, bool& changed)
{
    if (!value.isValid() || value.isNull()) {
        file.setNull(column);
        return true;
    }
    switch (field.type) {
    case 'N':
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
            return file.setInteger(column, value.toLongLong());
        return file.setNumber(column, value.toDouble());
    case 'D': {
        const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (!date.isValid())
            return false;
        file.setDate(column, date);
        return true;
    }
    default: {
        const QString text = value.typeId() == QMetaType::QDate ? value.toDate().toString(QStringLiteral("yyyy/M/d"))
                                                                 : value.toString();
        const DbaseText::Encoded encoded = DbaseText::encode(text, field.width);
        changed = encoded.shortened || encoded.replaced;
        file.setText(column, encoded.bytes);
        return true;
    }
    }
}

} // namespace

namespace DbaseWriter {

ExportResult write(Connection& source, const ExportJob& job, const ExportProgress& progress)
{
    if (job.name.trimmed().isEmpty())
        throw DbError(QStringLiteral("文件名不能为空。"));
    if (job.path.trimmed().isEmpty())
        throw DbError(QStringLiteral("没有指定保存 dBase 文件的文件夹。"));
    const QDir folder(job.path);
    const QString finalPath = folder.absoluteFilePath(dbfFileName(job.name));
    const QString codePagePath = folder.absoluteFilePath(QFileInfo(finalPath).completeBaseName() + QStringLiteral(".cpg"));
    if (QFileInfo::exists(finalPath))
        throw DbError(QStringLiteral("文件“%1”已存在。").arg(QDir::toNativeSeparators(finalPath)));

    OutputFile output(finalPath);
    SourceRows rows(source, job.rows);
    const QList<QByteArray> names = DbaseFieldNames::fitted(rows.fieldNames());
    QList<DbaseField> fields;
    for (int c = 0; c < rows.fields().size(); ++c)
        fields.append(fieldFor(rows.fields()[c], names[c]));

    ExportResult result;
    result.file = finalPath;
    DbaseTableFile file(output.temporaryPath(), finalPath, fields, DbaseWriter::LanguageDriverGbk);
    while (rows.next()) {
        for (int c = 0; c < fields.size(); ++c) {
            bool changed = false;
            if (!putValue(file, c, fields[c], rows.value(c), changed))
                throw DbError(QStringLiteral("第 %1 行字段“%2”的值放不进 dBase 字段（宽 %3）。")
                                  .arg(result.rows + 1)
                                  .arg(rows.fields()[c].name)
                                  .arg(fields[c].width));
            if (changed)
                ++result.valuesChanged;
        }
        file.addRecord();
        reportExportProgress(progress, ++result.rows);
    }
    file.finish();
    QFile codePage(output.companionTemporaryPath(codePagePath));
    errno = 0;
    if (!codePage.open(QIODevice::WriteOnly) || codePage.write("936") != 3 || !codePage.flush())
        throw DbError(WriteFailure::describe(errno != 0 ? errno : EIO, codePagePath));
    codePage.close();
    output.commit({codePagePath});
    return result;
}

} // namespace DbaseWriter
