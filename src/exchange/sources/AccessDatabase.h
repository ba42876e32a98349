#pragma once

#include "AccessTable.h"
#include "SourceFileError.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <mdbtools.h>

// An Access database opened by libmdb; closed again when it goes.
class AccessDatabase {
public:
    explicit AccessDatabase(const QString& path) : path_(path)
    {
        if (!QFileInfo(path).isFile())
            throw SourceFileError::missing(path);
        mdb_ = mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS);
        if (!mdb_)
            throw SourceFileError::corrupt(path);
        // Access writes whole pages: a file that ends within one was cut short (a copy broken
        // off, a download not finished), and what is missing may be any table's rows.
        if (QFileInfo(path).size() % mdb_->fmt->pg_size != 0) {
            mdb_close(mdb_);
            throw SourceFileError::unreadable(path, QStringLiteral("文件不完整，末尾缺了一部分（文件已损坏）。"));
        }
        useJet3CodePage();
        mdb_set_date_fmt(mdb_, "%Y-%m-%d %H:%M:%S");
        mdb_set_shortdate_fmt(mdb_, "%Y-%m-%d %H:%M:%S");
        mdb_set_boolean_fmt_numbers(mdb_);
        mdb_set_bind_size(mdb_, AccessTable::BindSize);
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
            // Access keeps attachments and multi-valued fields in hidden tables of its own
            // (f_<GUID>_Data ...), marked as system objects in the catalogue.
            if (mdb_is_system_table(entry))
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
