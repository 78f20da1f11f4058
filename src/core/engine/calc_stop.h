// An error that ends the current calculation (not the program): the driver shows the message with
// its caption, reports in the message list that the calculation stopped, and clears its running
// flag so that a waiting caller goes on.
#pragma once

#include <QString>
#include <stdexcept>

namespace trb::engine {

class CalcStop : public std::runtime_error {
 public:
  CalcStop(const QString& message, const QString& caption)
      : std::runtime_error(message.toStdString()), message_(message), caption_(caption) {}
  QString message() const { return message_; }
  QString caption() const { return caption_; }

 private:
  QString message_;
  QString caption_;
};

}  // namespace trb::engine
