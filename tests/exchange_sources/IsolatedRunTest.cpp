#include "core/DbError.h"
#include "exchange/sources/IsolatedRun.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString SomeFile = QStringLiteral("/data/客户.mdb");

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const DbError& error) {
        return error.description();
    }
    return {};
}

} // namespace

TEST(IsolatedRun, FramesArriveInOrderAndAStopEndsTheChild)
{
    QList<QByteArray> received;
    EXPECT_TRUE(IsolatedRun::run(
        SomeFile,
        [](const IsolatedRun::SendFrame& send) {
            for (int i = 0; i < 3; ++i)
                send('R', QByteArray(100000 * (i + 1), char('a' + i)));
        },
        [&](char kind, const QByteArray& payload) {
            EXPECT_EQ(kind, 'R');
            received << payload;
            return true;
        }));
    ASSERT_EQ(received.size(), 3);
    EXPECT_EQ(received[2], QByteArray(300000, 'c'));

    int taken = 0;
    EXPECT_FALSE(IsolatedRun::run(
        SomeFile,
        [](const IsolatedRun::SendFrame& send) {
            for (;;)
                send('R', "row");   // ends only when the reader stops listening
        },
        [&](char, const QByteArray&) { return ++taken < 5; }));
    EXPECT_EQ(taken, 5);
}

TEST(IsolatedRun, ChildErrorsCrashesAndStallsBecomeMessages)
{
    EXPECT_EQ(errorOf([] {
                  IsolatedRun::run(
                      SomeFile, [](const IsolatedRun::SendFrame&) { throw DbError(QStringLiteral("表“x”不存在")); },
                      [](char, const QByteArray&) { return true; });
              }),
              QStringLiteral("表“x”不存在"));

    const QString damaged = QStringLiteral("无法读取文件“%1”：文件已损坏或格式不对。").arg(SomeFile);
    EXPECT_EQ(errorOf([] {
                  IsolatedRun::run(
                      SomeFile, [](const IsolatedRun::SendFrame&) { std::raise(SIGSEGV); },
                      [](char, const QByteArray&) { return true; });
              }),
              damaged);

    IsolatedRun::setStallLimit(500);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(errorOf([] {
                  IsolatedRun::run(
                      SomeFile, [](const IsolatedRun::SendFrame&) { QThread::sleep(30); },
                      [](char, const QByteArray&) { return true; });
              }),
              damaged);
    IsolatedRun::setStallLimit(20000);
    EXPECT_LT(timer.elapsed(), 10000);
}
