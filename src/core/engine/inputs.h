// The organic inputs of the selected plots: the simulation quantities of the management records
// and the table opstab of all inputs by plot and year.
#pragma once

#include <QString>

#include "core/base/feedback.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

// Rewrites cultivation.Sim_Quantity of the selected plots: carbon applied by organic amendments,
// nitrogen harvested by crops. Logs "sql 2:" and "sql 3:" with the rows changed.
void update_sim_quantities(trb::db::Database& db, trb::Feedback& feedback);

// Builds _cropping_dt (harvest and root residues), _koppel_prdkt (by-products left on the
// field), _org_dnger (organic amendments) and from them opstab, with their log lines.
void build_opstab(trb::db::Database& db, trb::Feedback& feedback);

}  // namespace trb::engine
