#include "exchange/sources/ReadAheadDevice.h"

#include <QBuffer>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Hands out its bytes and then fails, as a damaged zip entry does.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray bytes) : bytes_(std::move(bytes)) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (bytes_.isEmpty()) {
            setErrorString(QStringLiteral("damaged zip entry"));
            return -1;
        }
        const qint64 count = std::min<qint64>(maxSize, bytes_.size());
        std::memcpy(data, bytes_.constData(), size_t(count));
        bytes_.remove(0, count);
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
};

QByteArray readAll(QIODevice& device, qint64& lastResult)
{
    QByteArray bytes;
    char buffer[1000];
    while ((lastResult = device.read(buffer, sizeof buffer)) > 0)
        bytes.append(buffer, lastResult);
    return bytes;
}

} // namespace

TEST(ReadAheadDevice, HandsOutEverythingInOrderAndTheSourcesFailure)
{
    QByteArray bytes;
    for (int i = 0; i < 400000; ++i)
        bytes += char('a' + i % 26);
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(bytes);
    buffer->open(QIODevice::ReadOnly);
    ReadAheadDevice whole(std::move(buffer));
    qint64 last = 0;
    EXPECT_EQ(readAll(whole, last), bytes);
    EXPECT_EQ(last, 0);
    EXPECT_TRUE(whole.atEnd());

    ReadAheadDevice damaged(std::make_unique<FailingDevice>(bytes.left(300000)));
    EXPECT_EQ(readAll(damaged, last), bytes.left(300000));
    EXPECT_EQ(last, -1);
    EXPECT_EQ(damaged.errorString(), QStringLiteral("damaged zip entry"));
}

TEST(ReadAheadDevice, ClosesWhileTheThreadStillReads)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(QByteArray(10 * 1024 * 1024, 'x'));
    buffer->open(QIODevice::ReadOnly);
    ReadAheadDevice device(std::move(buffer));
    char first[10];
    EXPECT_EQ(device.read(first, 10), 10);
}   // destroyed with most of the source unread
