// Renders the maintenance window and both export windows to PNG files when
// MARQUEL_SCREENSHOT_DIR names a folder, so they can be looked at; skipped otherwise.
#include "ExportTestData.h"
#include "exchange/export/fbTFixFm1.h"
#include "exchange/export/outputFm1.h"
#include "exchange/export/outputFm2.h"
#include "support/ProgramTest.h"

#include <QDir>
#include <QTest>

namespace {

class ExportScreenshotTest : public ProgramTest {};

TEST_F(ExportScreenshotTest, MaintenanceAndExportWindows)
{
    const QString folderName = qEnvironmentVariable("MARQUEL_SCREENSHOT_DIR");
    if (folderName.isEmpty())
        GTEST_SKIP() << "set MARQUEL_SCREENSHOT_DIR to render the windows";
    QDir().mkpath(folderName);
    const QDir out(folderName);
    insertExportTargets(state.store());
    state.setCurrentPlan(QStringLiteral("P2"), QString());

    {
        fbTFixFm1 maintenance(state);
        maintenance.setAttribute(Qt::WA_DeleteOnClose, false);
        maintenance.show();
        QTest::qWait(100);
        EXPECT_TRUE(maintenance.grab().save(out.filePath("target-table.png")));
        maintenance.Command4_Click();
        QTest::qWait(50);
        EXPECT_TRUE(maintenance.grab().save(out.filePath("target-table-adding.png")));
        maintenance.Command9_Click();
    }
    {
        outputFm1 exportAll(state);
        exportAll.setAttribute(Qt::WA_DeleteOnClose, false);
        exportAll.show();
        QTest::qWait(50);
        EXPECT_TRUE(exportAll.grab().save(out.filePath("export-targets.png")));
    }
    {
        outputFm2 exportPlan(state, QStringLiteral("P2"));
        exportPlan.setAttribute(Qt::WA_DeleteOnClose, false);
        exportPlan.show();
        QTest::qWait(50);
        EXPECT_TRUE(exportPlan.grab().save(out.filePath("export-plan.png")));
    }
}

} // namespace
