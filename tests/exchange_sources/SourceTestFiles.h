#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class Connection;

// Files for the reader tests: the sample files beside the project (written by other
// programs) and files a test writes itself into its own temporary folder.
class SourceTestFiles {
public:
    // The sample file's path, or an empty string when the samples folder is absent.
    static QString fixture(const QString& name);

    QString write(const QString& name, const QByteArray& bytes) const;
    QString path(const QString& name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// The rows of a statement run through the program's Recordset, each as its field texts.
QList<QStringList> rowTexts(const std::shared_ptr<Connection>& connection, const QString& statement);
// The field names of a statement's result.
QStringList fieldNames(const std::shared_ptr<Connection>& connection, const QString& statement);

#define SKIP_WITHOUT_FIXTURE(path)                                  \
    if ((path).isEmpty())                                           \
        GTEST_SKIP() << "sample files folder not found";
