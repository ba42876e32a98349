#pragma once

#include "SourceFileError.h"

#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QVariant>
#include <cmath>
#include <cstring>
#include <mdbtools.h>
#include <vector>

// A table of an Access database read with its columns bound to buffers; freed again when it goes.
class AccessTable {
public:
    // Large enough for the longest memo Access keeps (65,535 characters, up to three bytes
    // each in UTF-8), so no memo is cut.
    static constexpr size_t BindSize = 200000;

    AccessTable(MdbCatalogEntry* entry, const QString& path) : path_(path)
    {
        table_ = mdb_read_table(entry);
        if (!table_ || !mdb_read_columns(table_) || mdb_rewind_table(table_) != 0)
            throw SourceFileError::corrupt(path);
        columns_.resize(table_->num_cols);
        for (unsigned i = 0; i < table_->num_cols; ++i) {
            columns_[i].buffer.assign(BindSize + 1, '\0');
            columns_[i].column = static_cast<MdbColumn*>(g_ptr_array_index(table_->columns, i));
            mdb_bind_column(table_, int(i + 1), columns_[i].buffer.data(), &columns_[i].length);
        }
    }
    ~AccessTable()
    {
        if (table_)
            mdb_free_tabledef(table_);
    }
    AccessTable(const AccessTable&) = delete;
    AccessTable& operator=(const AccessTable&) = delete;

    QStringList columnNames() const
    {
        QStringList names;
        for (const auto& bound : columns_)
            names << QString::fromUtf8(bound.column->name);
        return names;
    }

    bool fetch() { return mdb_fetch_row(table_) != 0; }

    QVariantList values() const
    {
        QVariantList row;
        row.reserve(qsizetype(columns_.size()));
        for (const auto& bound : columns_)
            row << valueOf(bound);
        return row;
    }

private:
    struct BoundColumn {
        MdbColumn* column = nullptr;
        std::vector<char> buffer;
        int length = 0;
    };

    QVariant valueOf(const BoundColumn& bound) const
    {
        if (bound.length <= 0)
            return {};
        const int length = std::min(bound.length, int(BindSize));
        const QByteArray text(bound.buffer.data(), length);
        bool ok = false;
        switch (bound.column->col_type) {
        case MDB_BOOL:
            return text != "0";
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT: {
            const qint64 whole = text.toLongLong(&ok);
            return ok ? QVariant(whole) : QVariant(QString::fromUtf8(text));
        }
        case MDB_FLOAT:
        case MDB_DOUBLE:
        case MDB_MONEY:
        case MDB_NUMERIC: {
            const double number = text.toDouble(&ok);
            return ok ? QVariant(number) : QVariant(QString::fromUtf8(text));
        }
        case MDB_DATETIME:
            return dateOf(bound);
        case MDB_OLE:
        case MDB_BINARY:
        case MDB_COMPLEX:
            return {};
        default:
            return QString::fromUtf8(text);
        }
    }

    // libmdb's own date text is wrong outside the years its calendar routine handles (before
    // 1900, after 9999 it writes "1900-01-00"), so dates are computed from the stored number:
    // days since 1899-12-30, the fraction (taken positive) the time of day.
    QVariant dateOf(const BoundColumn& bound) const
    {
        const MdbColumn* column = bound.column;
        const MdbHandle* mdb = table_->entry->mdb;
        if (column->cur_value_len != 8 || column->cur_value_start < 0
            || size_t(column->cur_value_start) + 8 > sizeof mdb->pg_buf)
            return {};
        double stored = 0;
        memcpy(&stored, mdb->pg_buf + column->cur_value_start, 8);
        if (!std::isfinite(stored) || std::fabs(stored) > 3.0e6)
            return {};
        const double days = std::trunc(stored);
        const qint64 milliseconds = std::llround(std::fabs(stored - days) * 86400000.0);
        const QDate day = QDate(1899, 12, 30).addDays(qint64(days));
        if (!day.isValid())
            return {};
        if (milliseconds == 0)
            return day;
        if (milliseconds >= 86400000)
            return day.addDays(1);
        return QDateTime(day, QTime::fromMSecsSinceStartOfDay(int(milliseconds)));
    }

    QString path_;
    MdbTableDef* table_ = nullptr;
    std::vector<BoundColumn> columns_;
};
