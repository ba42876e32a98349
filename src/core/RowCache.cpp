#include "RowCache.h"

const RowCache::Row* RowCache::find(qint64 key) const
{
    const auto it = rows_.find(key);
    return it == rows_.end() ? nullptr : &it->second;
}

void RowCache::insertBlock(std::vector<std::pair<qint64, Row>> rows)
{
    std::vector<qint64> keys;
    keys.reserve(rows.size());
    for (auto& [key, row] : rows) {
        keys.push_back(key);
        rows_[key] = std::move(row);
    }
    blocks_.push_back(std::move(keys));
    while (int(rows_.size()) > capacity_ && blocks_.size() > 1) {
        for (qint64 key : blocks_.front())
            rows_.erase(key);
        blocks_.pop_front();
    }
}

void RowCache::clear()
{
    rows_.clear();
    blocks_.clear();
}
