#pragma once

class Connection;

// A small campaign to look at: four executed plans, the last with ten days of responses and a
// few targets, the plan as designed, and named products.
namespace DemoCampaign {

void fill(Connection& db);

} // namespace DemoCampaign
