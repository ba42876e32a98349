#pragma once

#include "ReportRows.h"

#include <QList>
#include <QStringList>
#include <memory>

class Recordset;
struct ReportDefinition;

// A report's rows as its recordset held them when the report opened: the texts of every
// row are read once, so a row deleted or changed elsewhere afterwards still prints as it
// was loaded (never as an empty row). Reading a row still makes it the recordset's
// current row, so the page of the row read last is the recordset's absolute page.
class RecordsetRows : public ReportRows {
public:
    RecordsetRows(std::shared_ptr<Recordset> recordset, const ReportDefinition& report);

    int count() const override;
    QStringList rowTexts(int position) override;

private:
    std::shared_ptr<Recordset> recordset_;
    QList<QStringList> columnTexts_;   // per report column, the text of every row
};
