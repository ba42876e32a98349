#include "StartUp.h"

#include "F5.h"
#include "mainFm1.h"

#include <QApplication>
#include <QTimer>

namespace StartUp {

F5* showSplash(const QString& appPath)
{
    auto* splash = new F5;
    QObject::connect(splash, &F5::continueRequested, qApp, [appPath] {
        mainFm1* main = mainFm1::load(appPath);
        if (!main) {
            // Ends once the splash is gone; nothing else of the program is left open.
            QTimer::singleShot(0, qApp, [] { QApplication::exit(1); });
            return;
        }
        main->show();
        main->Form_Activate();
    });
    splash->show();
    return splash;
}

} // namespace StartUp
