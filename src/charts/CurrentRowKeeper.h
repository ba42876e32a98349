#pragma once

#include "core/DbError.h"
#include "core/Recordset.h"

// Remembers the current row of a recordset (by bookmark) and returns to it when it goes out
// of scope, also after a failure: a chart walks the rows before the current one, and the
// row the user chose must stay chosen.
class CurrentRowKeeper {
public:
    // Throws DbError when no row is current.
    explicit CurrentRowKeeper(Recordset& recordset)
        : recordset_(recordset), bookmark_(recordset.bookmark()) {}

    ~CurrentRowKeeper()
    {
        try {
            recordset_.setBookmark(bookmark_);
        } catch (const DbError&) {
            // The row went away meanwhile; there is nothing to return to.
        }
    }

    CurrentRowKeeper(const CurrentRowKeeper&) = delete;
    CurrentRowKeeper& operator=(const CurrentRowKeeper&) = delete;

private:
    Recordset& recordset_;
    Recordset::Bookmark bookmark_;
};
