#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <exception>
#include <memory>

typedef struct zip zip_t;
class SheetPartWriter;

// An .xlsx package (a zip archive) opened for reading or for writing, discarded unless
// written with commit(). Failures throw DbError saying why, in words for the user.
class WorkbookArchive {
public:
    enum class Mode { Read, Edit, Create };

    WorkbookArchive(const QString& path, Mode mode);
    ~WorkbookArchive();
    WorkbookArchive(const WorkbookArchive&) = delete;
    WorkbookArchive& operator=(const WorkbookArchive&) = delete;

    bool contains(const QString& name) const;
    QByteArray read(const QString& name) const;

    void replace(const QString& name, const QByteArray& data);
    void add(const QString& name, const QByteArray& data);
    // A part made while the archive is written (by commit()), compressed at the lowest
    // level, which is several times faster for a large sheet and hardly larger. A failure
    // or cancel while making it is thrown again by commit().
    void addGenerated(const QString& name, SheetPartWriter& part);

    // Writes the archive. Throws DbError when a write failed (a full disk).
    void commit();

    // Checks the written package: its directory of parts must agree with each part's own
    // header, and the parts named in `sizes` must hold exactly that many bytes. Throws
    // DbError when the file is not whole.
    static void verify(const QString& path, const QHash<QString, qint64>& sizes);

    struct Generated;   // what libzip's callback for a generated part works on

private:
    QString path_;
    zip_t* archive_ = nullptr;
    QList<QByteArray> buffers_;   // data of parts added from memory, kept until commit()
    std::unique_ptr<Generated> generated_;
};

// Why `path` is no .xlsx workbook, for the user.
QString notWorkbookMessage(const QString& path);
