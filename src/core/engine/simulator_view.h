// What the simulator window shows beside a calculation: the pairs of measured and simulated soil
// carbon of one plot once a calculation has finished.
#pragma once

#include <QString>

namespace trb::engine {

// The compared pairs of one plot (bound as the only parameter): YEAR_, MEAS_VALUE, SIM_VALUE,
// MEAS_ID of the rs_table rows with a simulated value, in the order of the table's sort index.
QString assessment_pairs_query();

}  // namespace trb::engine
