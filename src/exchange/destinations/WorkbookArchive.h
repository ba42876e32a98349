#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

typedef struct zip zip_t;

// An .xlsx package (a zip archive) opened for reading or for writing, discarded unless
// written with commit(). Parts are added from memory or from a file; a sheet part written
// to a file is compressed at the lowest level, which is several times faster and hardly
// larger. Failures throw DbError saying why, in words for the user.
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
    void addFile(const QString& name, const QString& filePath);

    // Writes the archive. Throws DbError when a write failed (a full disk).
    void commit();

    // Checks the written package: its directory of parts must agree with each part's own
    // header, and the parts named in `sizes` must hold exactly that many bytes. Throws
    // DbError when the file is not whole.
    static void verify(const QString& path, const QHash<QString, qint64>& sizes);

private:
    QString path_;
    zip_t* archive_ = nullptr;
    QList<QByteArray> buffers_;   // data of parts added from memory, kept until commit()
};

// Why `path` is no .xlsx workbook, for the user.
QString notWorkbookMessage(const QString& path);
