#pragma once

#include <QString>
#include <QTemporaryDir>

// A file an export writes: it is first written under a temporary name in the folder of
// its final place and only given its real name by commit(), so a failure part way leaves
// no half file and never touches a file already there.
class OutputFile {
public:
    // Throws DbError when the folder does not exist or cannot be written.
    explicit OutputFile(const QString& finalPath);

    // Where to write: a path in a private folder beside the final place.
    QString temporaryPath() const { return temporaryPath_; }
    QString finalPath() const { return finalPath_; }

    // Another file written beside this one and committed with it (a dBase table's .cpg).
    QString companionTemporaryPath(const QString& finalCompanionPath) const;

    // Gives the written files their final names. Throws DbError when a file of that
    // name appeared meanwhile (it is left as it was).
    void commit(const QStringList& finalCompanionPaths = {});
    // Gives the written file the final name, replacing the file there (the workbook a
    // sheet was added to).
    void commitReplacing();

private:
    QString finalPath_;
    QTemporaryDir folder_;   // removed with whatever is left in it
    QString temporaryPath_;
};
