#pragma once

#include "ReportDefinition.h"

#include <QStringList>

// The program's reports.
namespace ReportDefinitions {

// printFm10: the daily feedback statistics of the current plan.
ReportDefinition feedbackStatistics();

// printFm11: the address book of the current plan's responding targets, most feedback first.
ReportDefinition respondingClients();

// printFm12: one line per executed plan.
ReportDefinition campaignSummary();

// printFm13: the effect analysis of the executed plans, one line per plan, read from `table`
// of the database the analysis window computed it into.
ReportDefinition campaignEffects(const QString& table);

// The report with its product columns headed by the mapped product names ("打印机计数");
// a product without a name keeps its heading.
ReportDefinition withProductNames(ReportDefinition report, const QStringList& productNames);

} // namespace ReportDefinitions
