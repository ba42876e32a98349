#pragma once

// Which pages of a report are shown and printed. `currentPage` is the page in the preview
// and the first page "打印" prints, `lastPage` the last one (the page count); both are 0
// for a report without rows.
struct ReportPaging {
    int currentPage = 0;
    int lastPage = 0;
    int firstPage = 0;
    int pageOffset = 0;     // pages before the page drawn

    // Back to page 1 of `pageCount` pages (or to nothing when there are none).
    void reset(int pageCount);

    // Moves by a navigation button ("<<", "<", ">", ">>" = 0 to 3) from the page of the row
    // read last; `readPage` may be a recordset's PosBOF or PosEOF, which stand for the
    // first and the last page. Stays within firstPage and lastPage.
    void navigate(int buttonIndex, int readPage);

    // Shows `page` (after printing, the page read last).
    void showPage(int page);
};
