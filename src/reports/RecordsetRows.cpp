#include "RecordsetRows.h"

#include "ReportDefinition.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

RecordsetRows::RecordsetRows(std::shared_ptr<Recordset> recordset, const ReportDefinition& report)
    : recordset_(std::move(recordset))
{
    const int rows = count();
    QList<int> fields;
    for (const ReportColumn& column : report.columns) {
        fields += recordset_ ? recordset_->fieldIndex(column.field) : -1;
        columnTexts_ += QStringList();
        columnTexts_.last().reserve(rows);
    }
    // Row by row, as the recordset reads its rows in blocks.
    for (int row = 0; row < rows; ++row)
        for (qsizetype c = 0; c < fields.size(); ++c)
            columnTexts_[c] += fields[c] < 0 ? QString() : TextRules::trimmedText(recordset_->valueAt(row, fields[c]));
}

int RecordsetRows::count() const
{
    return recordset_ ? recordset_->recordCount() : 0;
}

QStringList RecordsetRows::rowTexts(int position)
{
    recordset_->setAbsolutePosition(position);
    QStringList texts;
    texts.reserve(columnTexts_.size());
    for (const QStringList& column : columnTexts_)
        texts += column.value(position - 1);
    return texts;
}
