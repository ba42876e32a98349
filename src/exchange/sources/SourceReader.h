#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

// What a reader hands over while it reads one table of an outside file.
// Values are Null (an empty QVariant), QString, qint64, double, bool, QDate or QDateTime; a
// QByteArray is a text as UTF-8 (the .xlsx reader hands its texts over so, unconverted).
class TableSink {
public:
    virtual ~TableSink() = default;
    // Called once, before the first row, with the column names in the file's order.
    virtual void begin(const QStringList& columnNames) = 0;
    virtual void addRow(const QVariantList& values) = 0;
    // Forgets the heading and the rows received: the reader starts over with begin().
    virtual void restart() = 0;
};

// Told the number of rows read so far now and then; answers false to cancel the read.
using ReadProgress = std::function<bool(qint64 rowsRead)>;

// One kind of outside file (Access, Excel, dBase, CSV) that target lists are read from.
// Readers know nothing of windows; failures throw DbError with a Chinese message naming the
// file and the reason.
class SourceReader {
public:
    virtual ~SourceReader() = default;
    virtual QString formatName() const = 0;
    // Judged by the file's content, not its extension.
    virtual bool canRead(const QString& path) const = 0;
    virtual QStringList tableNames(const QString& path) const = 0;
    // Returns false when the progress callback cancelled the read.
    virtual bool readTable(const QString& path, const QString& table, TableSink& sink,
                           const ReadProgress& progress) const = 0;
    // The name the table gets once loaded, as the import's statements use it after FROM.
    virtual QString loadedTableName(const QString& path, const QString& table) const
    {
        Q_UNUSED(path);
        return table;
    }
};
