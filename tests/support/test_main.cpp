#include "core/StatementLog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <utility>

#ifdef MARQUEL_STATEMENT_LOG_DIR
namespace {

// The statements this run prepared, by engine, for the check that tries each one on both
// engines (tests/statements), in the folder the build names.
std::mutex statementsLock;
std::set<std::pair<bool, QString>> statements;

void recordStatement(bool onServer, const QString& statement)
{
    const std::lock_guard<std::mutex> guard(statementsLock);
    statements.emplace(onServer, statement);
}

void writeStatements(const QString& folder)
{
    StatementLog::setRecorder(nullptr);
    if (statements.empty())
        return;
    QJsonArray list;
    for (const auto& [onServer, text] : statements)
        list.append(QJsonObject{{QStringLiteral("server"), onServer}, {QStringLiteral("sql"), text}});
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/%1.json").arg(QCoreApplication::applicationPid()));
    if (file.open(QIODevice::WriteOnly))
        file.write(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

} // namespace
#endif

// Every test binary runs inside one QApplication, headless on a 1600×1000 screen unless
// told otherwise; whatever Qt itself keeps in settings goes to a folder of its own, never
// the user's.
// "--on-server" runs the store's and the use cases' tests on a fresh database of the test
// server instead of a file (see TestEngine).
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--on-server") == 0)
            qputenv("MARQUEL_TEST_ENGINE", "postgresql");
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" MARQUEL_TEST_SUPPORT_DIR "/screen-1600x1000.json");
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, settingsDir.path());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
#ifdef MARQUEL_STATEMENT_LOG_DIR
    StatementLog::setRecorder(recordStatement);
    const int result = RUN_ALL_TESTS();
    writeStatements(QStringLiteral(MARQUEL_STATEMENT_LOG_DIR));
    return result;
#else
    return RUN_ALL_TESTS();
#endif
}
