// The yearly carbon input table crep_year of the TRB method: one row per selected plot and year
// with crop or amendment records, with the start contents of soil carbon and nitrogen.
#pragma once

#include <QString>

#include "core/base/feedback.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

// Builds crep_h1 (one row per carbon input: residues EWR, amendments OD, by-products KP) and
// from it crep_year, then sets its start carbon and nitrogen; logs "CREP_ewr:", " CREP_od:",
// "  CREP_kop:", "crep_year:", "corg updates:" and "Norg updates:" with their counts.
void build_crep_year(trb::db::Database& db, trb::Feedback& feedback);

}  // namespace trb::engine
