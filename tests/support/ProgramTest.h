#pragma once

#include "TempAppFolder.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "controls/ScriptedDialogs.h"

#include <gtest/gtest.h>

// A test of the program's windows: a fresh program folder and database, the program's state
// on it, and scripted dialogs answering. Subclasses that hold windows drop them in their own
// TearDown before calling this one.
class ProgramTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    ProgramState state{folder.connection(), folder.path()};

    void TearDown() override { Dialogs::install(nullptr); }
};
