#include "StartUp.h"

#include "F5.h"
#include "mainFm1.h"
#include "campaign/ProgramState.h"
#include "controls/Dialogs.h"
#include "core/Connection.h"

#include <QApplication>
#include <QTimer>

namespace StartUp {

namespace {
bool failed = false;
}

bool startFailed()
{
    return failed;
}

F5* showSplash(const QString& appPath, const DatabaseChoice& choice, const QString& notice)
{
    failed = false;
    auto* splash = new F5;
    QObject::connect(splash, &F5::continueRequested, qApp, [appPath, choice, notice] {
        mainFm1* main = mainFm1::load(appPath, choice.location);
        if (!main) {
            // Ends once the splash is gone; nothing else of the program is left open.
            failed = true;
            QTimer::singleShot(0, qApp, [] { QApplication::exit(1); });
            return;
        }
        choice.keepInSettings(main->state().connection()->location());   // without a password
        // The refresh runs once here; the window's first activation is not another one.
        main->countAsActive();
        main->show();
        main->Form_Activate();
        // Said once the splash has closed, over the main window.
        if (!notice.isEmpty())
            QTimer::singleShot(0, main, [notice] {
                Dialogs::instance().message(notice, QStringLiteral("信息提示"), MsgButtons::Ok, MsgIcon::Information);
            });
    });
    splash->show();
    return splash;
}

} // namespace StartUp
