#pragma once

#include "ReportRows.h"

#include <QList>
#include <memory>

class Recordset;
struct ReportDefinition;

// A report's rows read from its recordset: reading a row makes it the current row, so
// the page of the row read last is the recordset's absolute page.
class RecordsetRows : public ReportRows {
public:
    RecordsetRows(std::shared_ptr<Recordset> recordset, const ReportDefinition& report);

    int count() const override;
    QStringList rowTexts(int position) override;

private:
    std::shared_ptr<Recordset> recordset_;
    QList<int> columns_;   // the recordset's column of each report column; -1 when missing
};
