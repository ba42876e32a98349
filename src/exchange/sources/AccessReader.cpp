#include "AccessReader.h"

#include "IsolatedRun.h"
#include "SourceFileBytes.h"
#include "SourceFileError.h"

#include <QDataStream>
#include <QDateTime>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <mdbtools.h>
#include <vector>

namespace {

constexpr qint64 ProgressEvery = 1000;
// Large enough for the longest memo Access keeps (65,535 characters, up to three bytes each
// in UTF-8), so no memo is cut.
constexpr size_t BindSize = 200000;

// An open database, closed again when it goes.
class AccessDatabase {
public:
    explicit AccessDatabase(const QString& path) : path_(path)
    {
        if (!QFileInfo(path).isFile())
            throw SourceFileError::missing(path);
        mdb_ = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!mdb_)
            throw SourceFileError::corrupt(path);
        useJet3CodePage();
        mdb_set_date_fmt(mdb_, "%Y-%m-%d %H:%M:%S");
        mdb_set_shortdate_fmt(mdb_, "%Y-%m-%d %H:%M:%S");
        mdb_set_boolean_fmt_numbers(mdb_);
        mdb_set_bind_size(mdb_, BindSize);
        if (!mdb_read_catalog(mdb_, MDB_TABLE))
            throw SourceFileError::corrupt(path);
    }
    ~AccessDatabase() { mdb_close(mdb_); }
    AccessDatabase(const AccessDatabase&) = delete;
    AccessDatabase& operator=(const AccessDatabase&) = delete;

    // The user's tables in catalogue order.
    QList<MdbCatalogEntry*> tables() const
    {
        QList<MdbCatalogEntry*> entries;
        for (guint i = 0; i < mdb_->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
            if (entry->object_type != MDB_TABLE)
                continue;
            if (QByteArray(entry->object_name).startsWith("MSys"))
                continue;
            entries << entry;
        }
        return entries;
    }

    const QString& path() const { return path_; }

private:
    // Access 97 (Jet 3) keeps texts in the code page of the Windows that wrote them, which
    // the database's header names; libmdb takes Western European unless told otherwise.
    // (This runs in the reading child process, so changing its environment is harmless.)
    void useJet3CodePage()
    {
        if (mdb_->f->jet_version != MDB_VER_JET3)
            return;
        const QByteArray charset = jet3Charset(mdb_->f->code_page);
        if (charset.isEmpty())
            return;
        qputenv("MDB_JET3_CHARSET", charset);
        mdb_iconv_close(mdb_);
        mdb_iconv_init(mdb_);
    }

    static QByteArray jet3Charset(int codePage)
    {
        switch (codePage) {
        case 936: return "GB18030";   // reads all of code page 936
        case 950: return "BIG5";
        case 932: return "CP932";
        case 949: return "CP949";
        case 874: case 1250: case 1251: case 1252: case 1253: case 1254: case 1255: case 1256: case 1257: case 1258:
            return "CP" + QByteArray::number(codePage);
        default: return {};
        }
    }

    QString path_;
    MdbHandle* mdb_ = nullptr;
};

// A table read with its columns bound to buffers; freed again when it goes.
class BoundTable {
public:
    BoundTable(MdbCatalogEntry* entry, const QString& path) : path_(path)
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
    ~BoundTable()
    {
        if (table_)
            mdb_free_tabledef(table_);
    }
    BoundTable(const BoundTable&) = delete;
    BoundTable& operator=(const BoundTable&) = delete;

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

constexpr char TableFrame = 'T';
constexpr char HeadingFrame = 'H';
constexpr char RowsFrame = 'R';
constexpr qsizetype RowsPerFrame = 256;

template <typename T>
QByteArray encoded(const T& value)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes;
}

template <typename T>
T decoded(const QByteArray& bytes)
{
    T value;
    QDataStream stream(bytes);
    stream >> value;
    return value;
}

bool hasAccessSignature(const QByteArray& head)
{
    return head.size() >= 19 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4))
           && (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

} // namespace

QString AccessReader::formatName() const
{
    return QStringLiteral("Access");
}

bool AccessReader::canRead(const QString& path) const
{
    return hasAccessSignature(SourceFileBytes::head(path, 32));
}

// libmdb trusts the sizes and counts a file gives; on a damaged file it may loop for hours or
// crash. So it reads in a child process, and the rows come back as frames.
QStringList AccessReader::tableNames(const QString& path) const
{
    if (!QFileInfo(path).isFile())
        throw SourceFileError::missing(path);
    QStringList names;
    IsolatedRun::run(
        path,
        [&path](const IsolatedRun::SendFrame& send) {
            const AccessDatabase database(path);
            for (MdbCatalogEntry* entry : database.tables())
                send(TableFrame, QByteArray(entry->object_name));
        },
        [&names](char kind, const QByteArray& payload) {
            if (kind == TableFrame)
                names << QString::fromUtf8(payload);
            return true;
        });
    return names;
}

bool AccessReader::readTable(const QString& path, const QString& table, TableSink& sink,
                             const ReadProgress& progress) const
{
    if (!QFileInfo(path).isFile())
        throw SourceFileError::missing(path);
    qint64 read = 0;
    const bool completed = IsolatedRun::run(
        path,
        [&path, &table](const IsolatedRun::SendFrame& send) {
            const AccessDatabase database(path);
            for (MdbCatalogEntry* entry : database.tables()) {
                if (QString::fromUtf8(entry->object_name) != table)
                    continue;
                BoundTable rows(entry, path);
                send(HeadingFrame, encoded(rows.columnNames()));
                QList<QVariantList> batch;
                while (rows.fetch()) {
                    batch << rows.values();
                    if (batch.size() == RowsPerFrame) {
                        send(RowsFrame, encoded(batch));
                        batch.clear();
                    }
                }
                if (!batch.isEmpty())
                    send(RowsFrame, encoded(batch));
                return;
            }
            throw SourceFileError::unknownTable(path, table);
        },
        [&](char kind, const QByteArray& payload) {
            if (kind == HeadingFrame) {
                sink.begin(decoded<QStringList>(payload));
                return true;
            }
            for (const QVariantList& row : decoded<QList<QVariantList>>(payload)) {
                sink.addRow(row);
                if (++read % ProgressEvery == 0 && progress && !progress(read))
                    return false;
            }
            return true;
        });
    return completed && (!progress || progress(read));
}
