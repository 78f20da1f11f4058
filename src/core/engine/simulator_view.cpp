#include "core/engine/simulator_view.h"

namespace trb::engine {

QString assessment_pairs_query() {
  return QStringLiteral(
      "SELECT rs_table.YEAR_, rs_table.MEAS_VALUE, rs_table.SIM_VALUE, rs_table.MEAS_ID "
      "FROM rs_table WHERE SIM_VALUE>0 and M_IX=7 and FL_ID=? "
      "ORDER BY rs_table.FL_ID, rs_table.YEAR_, rs_table.YEAR_NUM");
}

}  // namespace trb::engine
