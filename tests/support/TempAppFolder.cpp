#include "TempAppFolder.h"

#include "core/Connection.h"
#include "core/Schema.h"
#include "TestEngine.h"

#include <gtest/gtest.h>

TempAppFolder::TempAppFolder()
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
    Schema::ensureMainDatabase(databasePath());
    Schema::ensureExportDatabase(dir_.filePath(Schema::ExportDatabaseName));
    if (TestEngine::onServer()) {
        connection_ = TestEngine::freshServerDatabase();
        Schema::createTables(*connection_);
    } else {
        connection_ = Connection::open(databasePath());
    }
}

QString TempAppFolder::databasePath() const
{
    return dir_.filePath(Schema::MainDatabaseName);
}
