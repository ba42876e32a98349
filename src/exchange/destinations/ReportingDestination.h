#pragma once

#include "core/Destination.h"

#include <functional>

// A destination that says how far it got: after each row written it calls the progress
// callback with the number of rows written so far. The callback may throw DbError to
// stop the export; the writer then leaves no output behind.
class ReportingDestination : public Destination {
public:
    using Progress = std::function<void(int rowsWritten)>;

    void setProgress(Progress progress) { progress_ = std::move(progress); }

protected:
    void reportRow(int rowsWritten) const
    {
        if (progress_)
            progress_(rowsWritten);
    }

private:
    Progress progress_;
};
