#pragma once

#include <QByteArray>
#include <QIODevice>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

// Reads another sequential device ahead on a thread of its own: a compressed sheet is
// inflated on one processor while its XML is parsed on another. A few pieces wait in a queue;
// the thread waits when it is full. When the other device ends with an error, this one ends
// there too, with the same error string.
class ReadAheadDevice : public QIODevice {
public:
    explicit ReadAheadDevice(std::unique_ptr<QIODevice> source);
    // Stops the thread (after the piece it is reading) before the other device is closed.
    ~ReadAheadDevice() override;

    bool isSequential() const override { return true; }
    bool atEnd() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void readAhead();

    std::unique_ptr<QIODevice> source_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<QByteArray> pieces_;
    QByteArray current_;         // the piece being handed out
    qsizetype currentUsed_ = 0;
    bool sourceEnded_ = false;
    QString sourceError_;        // the other device's error string when it ended with one
    bool stopping_ = false;
    std::thread thread_;
};
