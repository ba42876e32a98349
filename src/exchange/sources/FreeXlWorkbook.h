#pragma once

#include "ExcelCells.h"
#include "SourceFileError.h"

#include <QDateTime>
#include <QFileInfo>
#include <QStringList>
#include <QVariant>
#include <freexl.h>
#include <utility>

// A workbook opened by the FreeXL library; closed again when it goes.
class FreeXlWorkbook {
public:
    static constexpr unsigned MaxRows = 65536;
    static constexpr unsigned MaxColumns = 256;

    // FreeXL refuses some well-formed files (it even answers "done" without a workbook);
    // opened() then is false.
    explicit FreeXlWorkbook(const QString& path) : path_(path)
    {
        if (!QFileInfo(path).isFile())
            throw SourceFileError::missing(path);
        if (freexl_open(path.toLocal8Bit().constData(), &handle_) != FREEXL_OK || !handle_) {
            freexl_close(handle_);
            handle_ = nullptr;
            return;
        }
        unsigned int password = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password != FREEXL_BIFF_PLAIN
            && password != 0)
            throw SourceFileError::passwordProtected(path);
    }
    ~FreeXlWorkbook()
    {
        if (handle_)
            freexl_close(handle_);
    }
    bool opened() const { return handle_ != nullptr; }
    FreeXlWorkbook(const FreeXlWorkbook&) = delete;
    FreeXlWorkbook& operator=(const FreeXlWorkbook&) = delete;

    QStringList sheetNames() const
    {
        unsigned int count = 0;
        if (freexl_get_info(handle_, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
            throw SourceFileError::corrupt(path_);
        QStringList names;
        for (unsigned int i = 0; i < count && i < 65535; ++i) {
            const char* name = nullptr;
            if (freexl_get_worksheet_name(handle_, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
                throw SourceFileError::corrupt(path_);
            names << QString::fromUtf8(name);
        }
        return names;
    }

    // Makes the sheet current; answers its row and column counts.
    std::pair<unsigned, unsigned> select(int index)
    {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle_, static_cast<unsigned short>(index)) != FREEXL_OK
            || freexl_worksheet_dimensions(handle_, &rows, &columns) != FREEXL_OK
            || rows > MaxRows || columns > MaxColumns)
            throw SourceFileError::corrupt(path_);
        return {rows, columns};
    }

    QVariant value(unsigned row, unsigned column) const
    {
        FreeXL_CellValue cell;
        if (freexl_get_cell_value(handle_, row, static_cast<unsigned short>(column), &cell) != FREEXL_OK)
            throw SourceFileError::corrupt(path_);
        switch (cell.type) {
        case FREEXL_CELL_INT:
            return qint64(cell.value.int_value);
        case FREEXL_CELL_DOUBLE:
            return ExcelCells::number(cell.value.double_value);
        case FREEXL_CELL_TEXT:
        case FREEXL_CELL_SST_TEXT:
            return cell.value.text_value ? QVariant(QString::fromUtf8(cell.value.text_value)) : QVariant();
        case FREEXL_CELL_DATE: {
            const QDate date = QDate::fromString(QString::fromLatin1(cell.value.text_value), Qt::ISODate);
            return date.isValid() ? QVariant(date) : QVariant(QString::fromLatin1(cell.value.text_value));
        }
        case FREEXL_CELL_DATETIME: {
            const QDateTime moment = QDateTime::fromString(QString::fromLatin1(cell.value.text_value),
                                                           QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            return moment.isValid() ? QVariant(moment) : QVariant(QString::fromLatin1(cell.value.text_value));
        }
        case FREEXL_CELL_TIME:
            return QString::fromLatin1(cell.value.text_value);
        default:
            return {};
        }
    }

private:
    QString path_;
    const void* handle_ = nullptr;
};
