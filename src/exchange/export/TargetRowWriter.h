#pragma once

#include "core/Recordset.h"

class ProgramState;

// Stores what the maintenance window's grid adds, changes and deletes through the Targets use
// case, one target at a time, and tells while it does so (its own notices are no news to it).
class TargetRowWriter : public RowWriter {
public:
    explicit TargetRowWriter(ProgramState& state) : state_(state) {}

    qint64 insertRow(const Values& values) override;
    bool updateRow(qint64 key, const Values& changes, const Values& expected) override;
    void deleteRow(qint64 key) override;

    bool writing() const { return writing_; }

private:
    // Marks the length of one write, also when it ends by an exception.
    class Writing {
    public:
        explicit Writing(bool& flag) : flag_(flag) { flag_ = true; }
        ~Writing() { flag_ = false; }

    private:
        bool& flag_;
    };

    ProgramState& state_;
    bool writing_ = false;
};
