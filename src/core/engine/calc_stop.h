// An error that ends the current calculation (not the program): the driver reports it with its
// caption, says in the message list that the calculation stopped, and clears its running flag so
// that a waiting caller goes on.
#pragma once

#include "core/base/error.h"

namespace trb::engine {

class CalcStop : public trb::Error {
 public:
  CalcStop(const QString& message, const QString& caption) : trb::Error(message, caption) {}
};

}  // namespace trb::engine
