#pragma once

#include <QVariant>
#include <QVector>
#include <deque>
#include <unordered_map>
#include <vector>

// The field values of the rows read lately, by row key. Rows arrive a block at a time;
// when the cache holds more rows than its capacity, the oldest blocks are dropped, so a
// recordset over a million rows keeps only a few thousand in memory.
class RowCache {
public:
    using Row = QVector<QVariant>;

    explicit RowCache(int capacityRows = 4096) : capacity_(capacityRows) {}

    const Row* find(qint64 key) const;
    void insertBlock(std::vector<std::pair<qint64, Row>> rows);
    void remove(qint64 key) { rows_.erase(key); }
    void clear();
    int size() const { return int(rows_.size()); }

private:
    int capacity_;
    std::unordered_map<qint64, Row> rows_;
    std::deque<std::vector<qint64>> blocks_;   // keys in the order their blocks arrived
};
