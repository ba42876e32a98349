#include "StartUp.h"
#include "controls/UiSetup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Marquel"));
    UiSetup::prepareApplication(app);
    StartUp::showSplash(QCoreApplication::applicationDirPath());
    return app.exec();
}
