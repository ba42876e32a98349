#pragma once

#include <QString>
#include <QStringList>

// A file an export writes: it is first written in a private hidden folder beside its final
// place (".marquel-export-XXXXXX") and only given its real name by commit(), so a failure
// part way leaves no half file and never touches a file already there. The folder goes
// with whatever is left in it when the object goes; folders that a killed or crashed
// export left behind are removed by the next export to the same folder.
class OutputFile {
public:
    static inline const QString FolderPrefix = QStringLiteral(".marquel-export-");

    // Throws DbError saying why when the folder does not exist or cannot be written.
    explicit OutputFile(const QString& finalPath);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Where to write: a path in the private folder.
    QString temporaryPath() const { return temporaryPath_; }
    QString finalPath() const { return finalPath_; }

    // Another file written beside this one and committed with it (a dBase table's .cpg).
    QString companionTemporaryPath(const QString& finalCompanionPath) const;

    // Gives the written file its final name, then the companions theirs. The file never
    // replaces one that appeared meanwhile (it is left as it was; DbError says so); a
    // companion replaces a file of its name, which belongs to no file any more.
    void commit(const QStringList& finalCompanionPaths = {});
    // Gives the written file the final name, replacing the file there in one step (the
    // workbook a sheet was added to): readers see the old or the new file.
    void commitReplacing();

    // Removes the private folders in `folder` made before this program started: what
    // exports that were killed or crashed left behind.
    static void removeStaleFolders(const QString& folder);

private:
    QString finalPath_;
    QString folder_;
    QString temporaryPath_;
};
