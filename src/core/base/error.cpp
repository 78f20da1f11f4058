#include "core/base/error.h"

namespace trb {

namespace {

QString joined(const QString& message, const QString& statement) {
  if (statement.trimmed().isEmpty()) return message;
  return message + QStringLiteral("\nin statement: ") + statement.trimmed();
}

}  // namespace

Error::Error(const QString& message, const QString& caption, const QString& statement)
    : std::runtime_error(joined(message, statement).toStdString()),
      message_(message),
      caption_(caption),
      statement_(statement) {}

QString Error::text() const {
  return joined(message_, statement_);
}

Canceled::Canceled(const QString& message, const QString& caption) : Error(message, caption) {}

}  // namespace trb
