#include "core/base/error.h"

namespace trb {

Error::Error(const QString& message, const QString& caption, const QString& statement)
    : std::runtime_error(message.toStdString()),
      message_(message),
      caption_(caption),
      statement_(statement) {}

QString Error::text() const {
  if (statement_.isEmpty()) return message_;
  return message_ + QLatin1Char('\n') + statement_;
}

Canceled::Canceled(const QString& message) : Error(message) {}

}  // namespace trb
