#pragma once

#include <QStringList>

// The rows a report prints, read one at a time by position.
class ReportRows {
public:
    virtual ~ReportRows() = default;
    virtual int count() const = 0;
    // The texts of row `position` (1-based), one per report column, trimmed.
    virtual QStringList rowTexts(int position) = 0;
};
