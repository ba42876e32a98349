#pragma once

#include "exchange/sources/SourceReader.h"

#include <QString>
#include <memory>

class Connection;
class Recordset;

// The file the import reads from, shared by the import window and its table chooser and
// kept from one opening of the import window to the next (closing it only drops its rows):
// the main window keeps it and hands it to each import window it opens.
// The chosen table lives in a temporary database of its own, the source connection.
class ImportSource {
public:
    // Set when the user picks a file.
    QString fileName;    // the full path
    QString fileTitle;   // the file name without its folder
    QString baseName;    // the title less its extension
    QString folder;      // the folder, without the trailing separator
    QString kind;        // "mdb" or "xls"; a dBase opening leaves it as it was

    // Set when a table of the file is loaded.
    std::shared_ptr<Connection> connection;
    QString table;                               // the name after FROM, e.g. [Sheet1$]
    std::shared_ptr<Recordset> browseRecordset;  // "Select * From " + table

    // Takes the names of a file the user picked.
    void choose(const QString& path, const QString& title);

    // Loads one table of a file, replacing the connection, the table name and the
    // rows at once. False when the progress callback cancelled: the previous source stays.
    // Throws DbError when the file cannot be read; then too the previous source stays.
    bool loadTable(const QString& path, const QString& tableName, const ReadProgress& progress = {});

    // Forgets everything (a new start of the program, or a test).
    void reset();
};
