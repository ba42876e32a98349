#include "DatabaseChoice.h"
#include "DatabaseLocation.h"
#include "DatabaseLock.h"
#include "StartOptions.h"
#include "StartUp.h"
#include "mainFm1.h"
#include "campaign/DatabaseCopy.h"
#include "controls/Dialogs.h"
#include "controls/UiSetup.h"
#include "core/Connection.h"
#include "core/DbError.h"
#include "core/Schema.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <memory>
#include <vector>

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

// While the copy runs, no copy of the program may change either file. A file that cannot be
// written (a copy on a CD) needs no lock and may not take one.
std::vector<std::unique_ptr<DatabaseLock>> lockFiles(const QStringList& locations)
{
    std::vector<std::unique_ptr<DatabaseLock>> locks;
    for (const QString& location : locations) {
        const QFileInfo file(location);
        const bool writable = file.exists() ? file.isWritable() : QFileInfo(file.absolutePath()).isWritable();
        if (!Connection::isServerLocation(location) && writable)
            locks.push_back(std::make_unique<DatabaseLock>(location));
    }
    return locks;
}

int copyDatabase(const StartOptions& options)
{
    try {
        const auto locks = lockFiles({options.copyFrom, options.copyTo});
        print(stdout, DatabaseCopy::copyDatabase(options.copyFrom, options.copyTo) + QLatin1Char('\n'));
        return 0;
    } catch (const DbError& error) {
        print(stderr, QStringLiteral("没有复制：%1\n").arg(error.description()));
        return 1;
    }
}

// Started from the desktop's menu, nobody reads stderr: a mistake is shown in a window too.
bool startedFromTheDesktop()
{
    const bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    return display && !isatty(STDERR_FILENO);
}

int refuseUsage(int argc, char** argv, const StartOptions& options)
{
    print(stderr, options.mistake + QStringLiteral("\n\n") + StartOptions::usage());
    if (startedFromTheDesktop()) {
        QApplication app(argc, argv);
        UiSetup::prepareApplication(app);
        Dialogs::instance().message(options.mistake + QStringLiteral("\n\n") + StartOptions::usage(),
                                    QStringLiteral("Marquel"), MsgButtons::Ok, MsgIcon::Critical);
    }
    return 2;
}

// The usage ends with where this program keeps its default database for this user.
QString usageHere(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    return StartOptions::usage() + StartOptions::defaultDatabaseLine(DatabaseLocation::forThisProgram().mainDatabase());
}

} // namespace

int main(int argc, char** argv)
{
    // Read before any window exists: the usage and the version need no display.
    const StartOptions options = StartOptions::parse(argumentsOf(argc, argv));
    StartOptions::hidePasswords(argc, argv);
    switch (options.action) {
    case StartOptions::Action::Help:
        print(stdout, usageHere(argc, argv));
        return 0;
    case StartOptions::Action::Version:
        print(stdout, StartOptions::versionText());
        return 0;
    case StartOptions::Action::BadUsage:
        return refuseUsage(argc, argv, options);
    case StartOptions::Action::CopyDatabase: {
        QCoreApplication app(argc, argv);
        return copyDatabase(options);
    }
    case StartOptions::Action::Run:
        break;
    }

    UiSetup::chooseChineseSystemLocale();
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Marquel"));
    app.setDesktopFileName(QStringLiteral("org.marquel.Marquel"));   // the menu entry's icon on its windows
    UiSetup::prepareApplication(app);
    const DatabaseLocation where = DatabaseLocation::forThisProgram();
    const DatabaseChoice choice =
        DatabaseChoice::decide(options.database, DatabaseChoice::rememberedLocation(), where.mainDatabase());
    QString notice;
    if (choice.isProgramDatabase) {
        try {
            if (where.prepare())
                notice = where.madeNotice();
        } catch (const DbError& error) {
            Dialogs::instance().message(error.description(), QStringLiteral("Marquel"), MsgButtons::Ok, MsgIcon::Critical);
            return 1;
        }
    }
    StartUp::showSplash(where.folder(), choice, notice);
    const int status = app.exec();
    // The main window holds the database's lock file: it is closed before the program ends, so
    // the next start (on this or another computer sharing the folder) finds the database free.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* main = qobject_cast<mainFm1*>(window)) {
            delete main;
            break;
        }
    return StartUp::startFailed() ? 1 : status;
}
