#include "core/DbError.h"
#include "exchange/sources/BackgroundTableSink.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Keeps what it receives; refuses the row numbered failAt as a full disk would.
class RecordingSink : public TableSink {
public:
    explicit RecordingSink(int failAt = -1) : failAt_(failAt) {}
    void begin(const QStringList& columnNames) override { received << QStringLiteral("begin ") + columnNames.join(QLatin1Char(',')); }
    void addRow(const QVariantList& values) override
    {
        if (values.first().toInt() == failAt_)
            throw DbError(QStringLiteral("磁盘已满，不能保存修改。"));
        received << values.first().toString();
    }
    void restart() override { received << QStringLiteral("restart"); }
    QStringList received;

private:
    int failAt_;
};

} // namespace

TEST(BackgroundTableSink, RowsArriveInOrderAcrossBatchesAndRestarts)
{
    RecordingSink target;
    QStringList expected;
    {
        BackgroundTableSink sink(target);
        sink.begin({QStringLiteral("n")});
        for (int i = 0; i < 300; ++i)
            sink.addRow({i});
        sink.restart();
        sink.begin({QStringLiteral("m")});
        for (int i = 0; i < 1000; ++i)
            sink.addRow({i});
        sink.finish();
    }
    expected << QStringLiteral("begin n");
    for (int i = 0; i < 300; ++i)
        expected << QString::number(i);
    expected << QStringLiteral("restart") << QStringLiteral("begin m");
    for (int i = 0; i < 1000; ++i)
        expected << QString::number(i);
    EXPECT_EQ(target.received, expected);
}

TEST(BackgroundTableSink, FailureOfTheStoringSinkReachesTheReader)
{
    for (const int failAt : {5, 3000}) {   // in the first batch; while the reader is far ahead
        RecordingSink target(failAt);
        BackgroundTableSink sink(target);
        QString message;
        try {
            sink.begin({QStringLiteral("n")});
            for (int i = 0; i < 5000; ++i)
                sink.addRow({i});
            sink.finish();
        } catch (const DbError& error) {
            message = error.description();
        }
        EXPECT_EQ(message, QStringLiteral("磁盘已满，不能保存修改。")) << failAt;
        EXPECT_EQ(target.received.size(), failAt + 1) << failAt;   // the heading and the rows before
    }
}

TEST(BackgroundTableSink, ReaderGivingUpDropsTheRowsNotStoredYet)
{
    RecordingSink target;
    {
        BackgroundTableSink sink(target);
        sink.begin({QStringLiteral("n")});
        for (int i = 0; i < 100000; ++i)
            sink.addRow({i});
    }   // no finish(): a cancelled or failed read
    EXPECT_LT(target.received.size(), 100001);
}

// A reader that runs its library in a child process forks before it hands over any row: at
// that moment the process must have no storing thread that could hold a lock the child needs.
TEST(BackgroundTableSink, ItsThreadStartsWithTheFirstRowsHandedOver)
{
    auto threads = [] { return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); };
    RecordingSink target;
    const qsizetype before = threads();
    BackgroundTableSink sink(target);
    EXPECT_EQ(threads(), before);
    sink.begin({QStringLiteral("n")});
    EXPECT_EQ(threads(), before + 1);
    sink.finish();
    EXPECT_EQ(target.received, QStringList{QStringLiteral("begin n")});
}

TEST(BackgroundTableSink, ASinkGivenNothingFinishesAtOnce)
{
    RecordingSink target;
    BackgroundTableSink sink(target);
    sink.finish();
    EXPECT_TRUE(target.received.isEmpty());
}
