#pragma once

#include "SourceReader.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

// Hands the rows a reader reads to another sink on a second thread: while that sink stores
// one batch of rows, the reader inflates and parses the next, so on a machine with two cores
// a big sheet loads in little more than the time its reading takes. Rows wait in a short
// queue; the reader waits when it is full. A failure of the other sink reaches the reader at
// its next row, or at finish().
class BackgroundTableSink : public TableSink {
public:
    explicit BackgroundTableSink(TableSink& target);
    // Stops the thread; rows not stored yet are dropped (a cancelled or failed read).
    ~BackgroundTableSink() override;
    BackgroundTableSink(const BackgroundTableSink&) = delete;
    BackgroundTableSink& operator=(const BackgroundTableSink&) = delete;

    void begin(const QStringList& columnNames) override;
    void addRow(const QVariantList& values) override;
    void restart() override;

    // Waits until the other sink has everything; throws what it threw.
    void finish();

private:
    struct Batch {
        enum class Kind { Begin, Rows, Restart };
        Kind kind = Kind::Rows;
        QStringList columnNames;
        std::vector<QVariantList> rows;
    };

    void send(Batch batch);
    void sendRows();
    void work();
    void apply(Batch& batch);

    TableSink& target_;
    Batch rows_;   // the rows collected for the next batch
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> queue_;
    // Batches stored, handed back so the reading thread frees their rows and fills them again:
    // memory freed by the thread that took it needs no lock shared with the other thread.
    std::vector<Batch> spent_;
    bool working_ = false;   // the thread is storing a batch
    bool stopping_ = false;
    std::exception_ptr failure_;
    std::thread thread_;
};
