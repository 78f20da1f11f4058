// The one way the stages of the dialect translator report a statement they cannot handle.
#pragma once

#include <QString>

#include "core/db/dialect.h"

namespace trb::db::dialect::detail {

[[noreturn]] inline void fail(const QString& msg) {
  throw DialectError(msg.toStdString());
}

}  // namespace trb::db::dialect::detail
