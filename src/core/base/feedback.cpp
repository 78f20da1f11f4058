#include "core/base/feedback.h"

#include <algorithm>

#include "core/base/error.h"

namespace trb {

void Feedback::report(const Error& error) {
  pushLine(Level::Error, error.text());
}

void Feedback::throwIfCanceled(const QString& message) const {
  if (isCanceled()) throw Canceled(message);
}

MultiStepFeedback::MultiStepFeedback(int steps, Feedback& parent)
    : steps_(std::max(steps, 1)), parent_(parent) {}

void MultiStepFeedback::setCurrentStep(int step) {
  step_ = std::clamp(step, 0, steps_ - 1);
  parent_.setProgress(step_ * kStepUnits, steps_ * kStepUnits);
}

void MultiStepFeedback::setProgress(qint64 pos, qint64 count) {
  qint64 within = 0;
  if (count > 0) within = std::clamp<qint64>(pos * kStepUnits / count, 0, kStepUnits);
  parent_.setProgress(step_ * kStepUnits + within, steps_ * kStepUnits);
}

}  // namespace trb
