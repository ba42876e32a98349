#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    return RUN_ALL_TESTS();
}
