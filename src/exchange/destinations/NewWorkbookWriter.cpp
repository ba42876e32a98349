#include "NewWorkbookWriter.h"

#include "SourceRows.h"
#include "core/DbError.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <xlsxwriter.h>

namespace {

// Excel's last row, counted from 0; the first row holds the field names.
constexpr lxw_row_t LastRow = 1048575;

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw DbError(QStringLiteral("无法写入 Excel 文件：%1").arg(QString::fromUtf8(lxw_strerror(error))));
}

// Closes the workbook (which writes it) whatever happens; after a failure the caller
// throws the file away.
class Workbook {
public:
    Workbook(const QString& path, const QString& tempFolder)
        : tempFolder_(QFile::encodeName(tempFolder))
    {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE;
        options.tmpdir = tempFolder_.data();
        workbook_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!workbook_)
            throw DbError(QStringLiteral("无法创建 Excel 文件“%1”。").arg(path));
    }
    ~Workbook()
    {
        if (workbook_)
            workbook_close(workbook_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    lxw_workbook* get() const { return workbook_; }
    void close()
    {
        lxw_workbook* workbook = workbook_;
        workbook_ = nullptr;
        check(workbook_close(workbook));
    }

private:
    QByteArray tempFolder_;
    lxw_workbook* workbook_ = nullptr;
};

lxw_datetime excelDate(const QDateTime& moment)
{
    lxw_datetime value = {};
    value.year = moment.date().year();
    value.month = moment.date().month();
    value.day = moment.date().day();
    value.hour = moment.time().hour();
    value.min = moment.time().minute();
    value.sec = moment.time().second();
    return value;
}

void writeCell(lxw_worksheet* sheet, lxw_row_t row, lxw_col_t column, const QVariant& value, lxw_format* dateFormat,
               lxw_format* dateTimeFormat)
{
    if (!value.isValid() || value.isNull())
        return;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
        check(worksheet_write_number(sheet, row, column, value.toDouble(), nullptr));
        return;
    case QMetaType::QDate: {
        lxw_datetime date = excelDate(value.toDate().startOfDay());
        check(worksheet_write_datetime(sheet, row, column, &date, dateFormat));
        return;
    }
    case QMetaType::QDateTime: {
        lxw_datetime moment = excelDate(value.toDateTime());
        check(worksheet_write_datetime(sheet, row, column, &moment, dateTimeFormat));
        return;
    }
    default: {
        const QString text = value.toString();
        if (!text.isEmpty())
            check(worksheet_write_string(sheet, row, column, text.toUtf8().constData(), nullptr));
        return;
    }
    }
}

} // namespace

namespace NewWorkbookWriter {

int write(const QString& path, const QString& sheetName, SourceRows& rows, const std::function<void(int)>& afterRow)
{
    Workbook workbook(path, QFileInfo(path).absolutePath());
    lxw_worksheet* sheet = workbook_add_worksheet(workbook.get(), sheetName.toUtf8().constData());
    if (!sheet)
        throw DbError(QStringLiteral("无法在 Excel 文件中加入工作表“%1”。").arg(sheetName));
    lxw_format* dateFormat = workbook_add_format(workbook.get());
    format_set_num_format(dateFormat, "yyyy-mm-dd");
    lxw_format* dateTimeFormat = workbook_add_format(workbook.get());
    format_set_num_format(dateTimeFormat, "yyyy-mm-dd hh:mm:ss");

    const QStringList names = rows.fieldNames();
    for (int c = 0; c < names.size(); ++c)
        check(worksheet_write_string(sheet, 0, lxw_col_t(c), names[c].toUtf8().constData(), nullptr));
    int count = 0;
    while (rows.next()) {
        if (lxw_row_t(count) + 1 > LastRow)
            throw DbError(QStringLiteral("行数超过 Excel 工作表的上限。"));
        for (int c = 0; c < names.size(); ++c)
            writeCell(sheet, lxw_row_t(count + 1), lxw_col_t(c), rows.value(c), dateFormat, dateTimeFormat);
        ++count;
        if (afterRow)
            afterRow(count);
    }
    workbook.close();
    return count;
}

} // namespace NewWorkbookWriter
