#pragma once

#include "ReportDefinition.h"

// The program's three reports.
namespace ReportDefinitions {

// printFm10: the daily feedback statistics of the current plan.
ReportDefinition feedbackStatistics();

// printFm11: the address book of the current plan's responding targets, most feedback first.
ReportDefinition respondingClients();

// printFm12: one line per executed plan.
ReportDefinition campaignSummary();

} // namespace ReportDefinitions
