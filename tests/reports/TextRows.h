#pragma once

#include "reports/ReportRows.h"

#include <QList>
#include <QStringList>

// Report rows held in memory, for composing pages without a database.
class TextRows : public ReportRows {
public:
    explicit TextRows(QList<QStringList> rows = {}) : rows_(std::move(rows)) {}

    int count() const override { return int(rows_.size()); }
    QStringList rowTexts(int position) override
    {
        lastRead = position;
        return rows_.at(position - 1);
    }

    int lastRead = 0;

private:
    QList<QStringList> rows_;
};
