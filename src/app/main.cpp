#include "DatabaseChoice.h"
#include "StartOptions.h"
#include "StartUp.h"
#include "controls/UiSetup.h"
#include "core/Schema.h"

#include <QApplication>
#include <QDir>
#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    // Read before any window exists: the usage and the version need no display.
    const StartOptions options = StartOptions::parse(argumentsOf(argc, argv));
    switch (options.action) {
    case StartOptions::Action::Help:
        print(stdout, StartOptions::usage());
        return 0;
    case StartOptions::Action::Version:
        print(stdout, StartOptions::versionText());
        return 0;
    case StartOptions::Action::BadUsage:
        print(stderr, options.mistake + QStringLiteral("\n\n") + StartOptions::usage());
        return 2;
    case StartOptions::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Marquel"));
    UiSetup::prepareApplication(app);
    const QString appPath = QCoreApplication::applicationDirPath();
    const DatabaseChoice choice = DatabaseChoice::decide(options.database, DatabaseChoice::rememberedLocation(),
                                                         QDir(appPath).filePath(Schema::MainDatabaseName));
    StartUp::showSplash(appPath, choice);
    const int status = app.exec();
    return StartUp::startFailed() ? 1 : status;
}
