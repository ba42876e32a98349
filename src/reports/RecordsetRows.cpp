#include "RecordsetRows.h"

#include "ReportDefinition.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

RecordsetRows::RecordsetRows(std::shared_ptr<Recordset> recordset, const ReportDefinition& report)
    : recordset_(std::move(recordset))
{
    for (const ReportColumn& column : report.columns)
        columns_ += recordset_ ? recordset_->fieldIndex(column.field) : -1;
}

int RecordsetRows::count() const
{
    return recordset_ ? recordset_->recordCount() : 0;
}

QStringList RecordsetRows::rowTexts(int position)
{
    QStringList texts;
    recordset_->setAbsolutePosition(position);
    for (int column : columns_)
        texts += column < 0 ? QString() : TextRules::trimmedText(recordset_->value(column));
    return texts;
}
