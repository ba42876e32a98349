#pragma once

#include "QtPrinters.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class Connection;

// A fresh program folder for one test: the delivered databases built from the schema,
// and a connection to the main one - or, when the tests run on the server, to a fresh
// database there holding the program's tables.
class TempAppFolder {
public:
    TempAppFolder();

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    QString databasePath() const;
    std::shared_ptr<Connection> connection() const { return connection_; }

private:
    QTemporaryDir dir_;
    std::shared_ptr<Connection> connection_;
};
