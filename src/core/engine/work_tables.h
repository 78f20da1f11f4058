#pragma once

#include <QString>

namespace trb::db {
class Database;
}

namespace trb::engine {

// Replaces every infinity a calculation left in its work tables, and in the simulated quantities
// of cultivation, by an empty value. An input so large that a product overflows (a Quantity of
// 1e308) gives an infinity there; the walk has already reported the plot whose value it is, and
// no result table takes it. Returns the number of rows changed.
int clear_infinite_work_values(trb::db::Database& db);

}  // namespace trb::engine
