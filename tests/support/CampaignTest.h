#pragma once

#include "TempAppFolder.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/Recordset.h"

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
    // The first value a statement reads; -1 when it reads no row.
    qint64 number(const QString& sql) const
    {
        Recordset rs(folder.connection(), sql);
        return rs.hasCurrentRow() ? rs.value(0).toLongLong() : -1;
    }
    // The key of the target of that name.
    qint64 key(const char* name) const
    {
        return number(QStringLiteral("Select rowid From \"clientTableInfo\" Where 营销对象 = '%1'").arg(QString::fromUtf8(name)));
    }
};
