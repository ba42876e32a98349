#include "ReportPaging.h"

#include "core/Recordset.h"

#include <algorithm>

void ReportPaging::reset(int pageCount)
{
    pageOffset = 0;
    if (pageCount <= 0) {
        currentPage = lastPage = firstPage = 0;
        return;
    }
    currentPage = 1;
    lastPage = pageCount;
    firstPage = 1;
}

void ReportPaging::navigate(int buttonIndex, int readPage)
{
    if (lastPage == 0)
        return;
    int page = readPage;
    if (readPage == Recordset::PosBOF || readPage < firstPage)
        page = firstPage;
    else if (readPage == Recordset::PosEOF || readPage > lastPage)
        page = lastPage;
    switch (buttonIndex) {
    case 0: page = firstPage; break;
    case 1: page = std::max(firstPage, page - 1); break;
    case 2: page = std::min(lastPage, page + 1); break;
    case 3: page = lastPage; break;
    default: break;
    }
    showPage(page);
}

void ReportPaging::showPage(int page)
{
    currentPage = page;
    pageOffset = page - 1;
}
