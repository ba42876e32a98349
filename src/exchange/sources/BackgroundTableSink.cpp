#include "BackgroundTableSink.h"

namespace {

constexpr size_t RowsPerBatch = 256;
constexpr size_t QueuedBatches = 8;

} // namespace

BackgroundTableSink::BackgroundTableSink(TableSink& target) : target_(target) {}

BackgroundTableSink::~BackgroundTableSink()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundTableSink::begin(const QStringList& columnNames)
{
    sendRows();
    Batch batch;
    batch.kind = Batch::Kind::Begin;
    batch.columnNames = columnNames;
    send(std::move(batch));
}

void BackgroundTableSink::addRow(const QVariantList& values)
{
    rows_.rows.push_back(values);
    if (rows_.rows.size() == RowsPerBatch)
        sendRows();
}

void BackgroundTableSink::restart()
{
    sendRows();   // the other sink sees everything in order, and then forgets it
    Batch batch;
    batch.kind = Batch::Kind::Restart;
    send(std::move(batch));
}

void BackgroundTableSink::finish()
{
    sendRows();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return (queue_.empty() && !working_) || failure_; });
    if (failure_)
        std::rethrow_exception(failure_);
}

void BackgroundTableSink::sendRows()
{
    if (rows_.rows.empty())
        return;
    Batch batch;
    std::swap(batch, rows_);
    {
        std::lock_guard lock(mutex_);
        if (!spent_.empty()) {
            rows_ = std::move(spent_.back());
            spent_.pop_back();
        }
    }
    rows_.rows.clear();
    rows_.rows.reserve(RowsPerBatch);
    send(std::move(batch));
}

void BackgroundTableSink::send(Batch batch)
{
    // Started with the first batch, not before: a reader that runs its library in a child
    // process forks first, and a process forked while another thread holds a lock (of the
    // memory allocator, say) can wait for it forever.
    if (!thread_.joinable())
        thread_ = std::thread([this] { work(); });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < QueuedBatches || failure_; });
    if (failure_)
        std::rethrow_exception(failure_);
    queue_.push_back(std::move(batch));
    lock.unlock();
    changed_.notify_all();
}

void BackgroundTableSink::work()
{
    for (;;) {
        Batch batch;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            if (stopping_)
                return;
            batch = std::move(queue_.front());
            queue_.pop_front();
            working_ = true;
        }
        changed_.notify_all();
        std::exception_ptr failure;
        try {
            apply(batch);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            working_ = false;
            if (batch.kind == Batch::Kind::Rows && spent_.size() < QueuedBatches)
                spent_.push_back(std::move(batch));
            if (failure) {
                failure_ = failure;
                queue_.clear();
            }
        }
        changed_.notify_all();
        if (failure)
            return;
    }
}

void BackgroundTableSink::apply(Batch& batch)
{
    switch (batch.kind) {
    case Batch::Kind::Begin:
        target_.begin(batch.columnNames);
        break;
    case Batch::Kind::Restart:
        target_.restart();
        break;
    case Batch::Kind::Rows:
        for (const QVariantList& row : batch.rows)
            target_.addRow(row);
        break;
    }
}
