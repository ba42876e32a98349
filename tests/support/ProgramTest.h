#pragma once

#include "TempAppFolder.h"
#include "core/AppState.h"
#include "core/Connection.h"
#include "controls/ScriptedDialogs.h"

#include <gtest/gtest.h>

// A test of the program's windows: a fresh program folder and database, the program-wide
// state pointing at it, and scripted dialogs answering. Subclasses that hold windows drop
// them in their own TearDown before calling this one.
class ProgramTest : public ::testing::Test {
protected:
    TempAppFolder folder;
    ScriptedDialogs& dialogs = ScriptedDialogs::installNew();
    AppState& state = AppState::instance();

    void SetUp() override
    {
        state.reset();
        state.dbConnection = folder.connection();
    }
    void TearDown() override
    {
        state.reset();
        Dialogs::install(nullptr);
    }
};
