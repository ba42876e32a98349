// The program as started from a shell: what it prints, where, and how it ends.
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs the program with no display at all: what needs none must not try to open a window.
ProgramRun runProgram(const QStringList& arguments, const QProcessEnvironment& extra = {})
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    for (const QString& name : extra.keys())
        environment.insert(name, extra.value(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(MARQUEL_PROGRAM), arguments);
    ProgramRun run;
    if (!program.waitForFinished(60000) || program.exitStatus() != QProcess::NormalExit)
        return run;
    run.status = program.exitCode();
    run.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(program.readAllStandardError());
    return run;
}

TEST(CommandLine, HelpAndVersionPrintAndEndWithoutAWindowAMistakeShowsTheUsage)
{
    const ProgramRun help = runProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("用法："))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--database"))) << help.out.toStdString();
    EXPECT_TRUE(help.err.isEmpty()) << help.err.toStdString();

    const ProgramRun version = runProgram({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("Marquel "))) << version.out.toStdString();

    const ProgramRun wrong = runProgram({QStringLiteral("--colour")});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_TRUE(wrong.out.isEmpty()) << wrong.out.toStdString();
    EXPECT_TRUE(wrong.err.startsWith(QStringLiteral("未知的选项：--colour\n"))) << wrong.err.toStdString();
    EXPECT_TRUE(wrong.err.contains(QStringLiteral("用法："))) << wrong.err.toStdString();
}

} // namespace
