#pragma once

#include "TempAppFolder.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"

#include <QList>
#include <gtest/gtest.h>

// A test of the use cases: a fresh program folder and database, the program's state on it,
// and every notice the use cases announced, in order.
class CampaignTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    ProgramState state{folder.connection(), folder.path()};
    QList<ChangeNotice> notices;

    CampaignTest()
    {
        QObject::connect(&state, &ProgramState::changed, [this](const ChangeNotice& notice) { notices << notice; });
    }

    void run(const char* sql) { state.store().execute(QString::fromUtf8(sql)); }
};
