#include "ReadAheadDevice.h"

#include <cstring>

namespace {

constexpr qint64 PieceSize = 256 * 1024;
constexpr size_t QueuedPieces = 4;

} // namespace

ReadAheadDevice::ReadAheadDevice(std::unique_ptr<QIODevice> source) : source_(std::move(source))
{
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    thread_ = std::thread([this] { readAhead(); });
}

ReadAheadDevice::~ReadAheadDevice()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool ReadAheadDevice::atEnd() const
{
    std::lock_guard lock(mutex_);
    return currentUsed_ == current_.size() && pieces_.empty() && sourceEnded_;
}

void ReadAheadDevice::readAhead()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return pieces_.size() < QueuedPieces || stopping_; });
            if (stopping_)
                return;
        }
        QByteArray piece(PieceSize, Qt::Uninitialized);
        const qint64 got = source_->read(piece.data(), PieceSize);
        {
            std::lock_guard lock(mutex_);
            if (got > 0) {
                piece.resize(got);
                pieces_.push_back(std::move(piece));
            } else {
                sourceEnded_ = true;
                if (got < 0)
                    sourceError_ = source_->errorString();
            }
        }
        changed_.notify_all();
        if (got <= 0)
            return;
    }
}

qint64 ReadAheadDevice::readData(char* data, qint64 maxSize)
{
    if (currentUsed_ == current_.size()) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !pieces_.empty() || sourceEnded_; });
        if (pieces_.empty()) {
            if (sourceError_.isEmpty())
                return 0;
            setErrorString(sourceError_);
            return -1;
        }
        current_ = std::move(pieces_.front());
        pieces_.pop_front();
        currentUsed_ = 0;
        lock.unlock();
        changed_.notify_all();
    }
    const qint64 count = std::min<qint64>(maxSize, current_.size() - currentUsed_);
    std::memcpy(data, current_.constData() + currentUsed_, size_t(count));
    currentUsed_ += count;
    return count;
}
