// The main window's way to the target table maintenance and the exports behind it.
#include "app/mainFm1.h"
#include "controls/ScriptedDialogs.h"
#include "campaign/ProgramState.h"
#include "core/Connection.h"
#include "core/Recordset.h"
#include "core/Schema.h"
#include "exchange/export/fbTFixFm1.h"
#include "support/TempAppFolder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <gtest/gtest.h>

namespace {

TEST(TargetTableMenuTest, MenuItemOpensOneMaintenanceWindowAndExportsReachTheirWriters)
{
    TempAppFolder folder;
    ScriptedDialogs::installNew();
    folder.connection()->execute(QStringLiteral("INSERT INTO \"clientTableInfo\" (序号, 营销对象, 反馈合计) VALUES ('P1', '客户甲', 1)"));
    std::unique_ptr<mainFm1> window(mainFm1::load(folder.path()));
    ASSERT_TRUE(window);
    ProgramState& state = window->state();

    window->findChild<QAction*>("cilentTableTotal")->trigger();
    window->findChild<QAction*>("cilentTableTotal")->trigger();
    QList<QPointer<fbTFixFm1>> opened;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* maintenance = qobject_cast<fbTFixFm1*>(top))
            opened << maintenance;
    ASSERT_EQ(opened.size(), 1);
    EXPECT_TRUE(opened.first()->isVisible());
    EXPECT_EQ(opened.first()->rows()->recordCount(), 1);

    delete opened.first();
    window.reset();
    Dialogs::install(nullptr);
}

} // namespace
