// The functions of the Access dialect, registered on a native SQLite connection under the names
// the translator emits ("acc_int", "acc_str", ...).
#pragma once

struct sqlite3;

namespace trb::db {

void registerAccessFunctions(sqlite3* handle);

}  // namespace trb::db
