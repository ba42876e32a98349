#include "WorkbookArchive.h"

#include "SheetPartWriter.h"
#include "WriteFailure.h"
#include "core/DbError.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <zip.h>

namespace {

int modeFlags(WorkbookArchive::Mode mode)
{
    switch (mode) {
    case WorkbookArchive::Mode::Read:
        return ZIP_RDONLY;
    case WorkbookArchive::Mode::Edit:
        return 0;
    case WorkbookArchive::Mode::Create:
        return ZIP_CREATE | ZIP_EXCL;
    }
    return ZIP_RDONLY;
}

QString brokenPackage(const QString& path)
{
    return QStringLiteral("写出的工作簿“%1”不完整，导出没有完成。").arg(QDir::toNativeSeparators(path));
}

} // namespace

// The state libzip's callback works on: the part, and the failure that stopped it.
struct WorkbookArchive::Generated {
    SheetPartWriter& part;
    zip_error_t error;
    std::exception_ptr failure;
    bool opened = false;
};

namespace {

zip_int64_t generatePart(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto& generated = *static_cast<WorkbookArchive::Generated*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        if (generated.opened) {   // the rows can be read only once
            zip_error_set(&generated.error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
        generated.opened = true;
        return 0;
    case ZIP_SOURCE_READ:
        try {
            return generated.part.read(static_cast<char*>(data), qint64(length));
        } catch (...) {
            // Exceptions do not cross libzip: the failure is kept and thrown by commit().
            generated.failure = std::current_exception();
            zip_error_set(&generated.error, ZIP_ER_READ, 0);
            return -1;
        }
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {   // the size is known only at the end
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&generated.error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&generated.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

QString notWorkbookMessage(const QString& path)
{
    return QStringLiteral("“%1”不是 Excel 工作簿（.xlsx）。").arg(QDir::toNativeSeparators(path));
}

WorkbookArchive::WorkbookArchive(const QString& path, Mode mode)
    : path_(path)
{
    int error = 0;
    archive_ = zip_open(QFile::encodeName(path).constData(), modeFlags(mode), &error);
    if (archive_)
        return;
    if (mode == Mode::Create)
        throw DbError(WriteFailure::describe(errno, path));
    throw DbError(notWorkbookMessage(path));
}

WorkbookArchive::~WorkbookArchive()
{
    if (archive_)
        zip_discard(archive_);
    if (generated_)
        zip_error_fini(&generated_->error);
}

bool WorkbookArchive::contains(const QString& name) const
{
    return zip_name_locate(archive_, name.toUtf8().constData(), 0) >= 0;
}

QByteArray WorkbookArchive::read(const QString& name) const
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    const QByteArray entry = name.toUtf8();
    if (zip_stat(archive_, entry.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        throw DbError(notWorkbookMessage(path_));
    zip_file_t* file = zip_fopen(archive_, entry.constData(), 0);
    if (!file)
        throw DbError(notWorkbookMessage(path_));
    QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, data.data(), stat.size);
    zip_fclose(file);
    if (got != zip_int64_t(stat.size))
        throw DbError(notWorkbookMessage(path_));
    return data;
}

void WorkbookArchive::replace(const QString& name, const QByteArray& data)
{
    buffers_.append(data);
    const QByteArray& kept = buffers_.last();
    zip_source_t* source = zip_source_buffer(archive_, kept.constData(), zip_uint64_t(kept.size()), 0);
    const zip_int64_t index = zip_name_locate(archive_, name.toUtf8().constData(), 0);
    if (!source || index < 0 || zip_file_replace(archive_, zip_uint64_t(index), source, 0) != 0) {
        zip_source_free(source);
        throw DbError(QStringLiteral("无法更新工作簿“%1”。").arg(QDir::toNativeSeparators(path_)));
    }
}

void WorkbookArchive::add(const QString& name, const QByteArray& data)
{
    buffers_.append(data);
    const QByteArray& kept = buffers_.last();
    zip_source_t* source = zip_source_buffer(archive_, kept.constData(), zip_uint64_t(kept.size()), 0);
    if (!source || zip_file_add(archive_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        throw DbError(QStringLiteral("无法写入工作簿“%1”。").arg(QDir::toNativeSeparators(path_)));
    }
}

void WorkbookArchive::addGenerated(const QString& name, SheetPartWriter& part)
{
    generated_ = std::make_unique<Generated>(Generated{part, {}, nullptr, false});
    zip_error_init(&generated_->error);
    zip_source_t* source = zip_source_function(archive_, generatePart, generated_.get());
    const zip_int64_t index = source ? zip_file_add(archive_, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        zip_source_free(source);
        throw DbError(QStringLiteral("无法写入工作簿“%1”。").arg(QDir::toNativeSeparators(path_)));
    }
    zip_set_file_compression(archive_, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
}

void WorkbookArchive::commit()
{
    if (zip_close(archive_) == 0) {
        archive_ = nullptr;
        buffers_.clear();
        return;
    }
    if (generated_ && generated_->failure)
        std::rethrow_exception(generated_->failure);
    zip_error_t* error = zip_get_error(archive_);
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0)
        throw DbError(WriteFailure::describe(zip_error_code_system(error), path_));
    throw DbError(QStringLiteral("无法写入工作簿“%1”：%2")
                      .arg(QDir::toNativeSeparators(path_), QString::fromUtf8(zip_error_strerror(error))));
}

void WorkbookArchive::verify(const QString& path, const QHash<QString, qint64>& sizes)
{
    // Every write was checked on the way; this reads the finished file's directory of
    // parts, checked against each part's own header, and the sizes of the parts written.
    // (Inflating a sheet of a million rows again would take seconds.)
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        throw DbError(brokenPackage(path));
    qsizetype matched = 0;
    for (auto it = sizes.constBegin(); it != sizes.constEnd(); ++it) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat(archive, it.key().toUtf8().constData(), 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)
            && qint64(stat.size) == it.value())
            ++matched;
    }
    zip_discard(archive);
    if (matched != sizes.size())
        throw DbError(brokenPackage(path));
}
