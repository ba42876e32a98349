#include "StartUp.h"
#include "controls/UiSetup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Marquel"));
    UiSetup::prepareApplication(app);
    StartUp::showSplash(QCoreApplication::applicationDirPath());
    const int status = app.exec();
    return StartUp::startFailed() ? 1 : status;
}
