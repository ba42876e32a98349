#include "RecordsetRows.h"

#include "ReportDefinition.h"
#include "core/Recordset.h"
#include "core/TextRules.h"

RecordsetRows::RecordsetRows(std::shared_ptr<Recordset> recordset, const ReportDefinition& report)
    : recordset_(std::move(recordset))
{
    const int rows = count();
    for (const ReportColumn& column : report.columns) {
        const int field = recordset_ ? recordset_->fieldIndex(column.field) : -1;
        QStringList texts;
        if (field < 0) {
            texts.fill(QString(), rows);
        } else {
            texts.reserve(rows);
            for (const QVariant& value : recordset_->columnValues(field))
                texts += TextRules::trimmedText(value);
        }
        columnTexts_ += texts;
    }
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
