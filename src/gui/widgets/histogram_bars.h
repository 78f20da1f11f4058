// The error histogram of the simulator: seven bars in percent with their class labels. Every
// share is taken from the counts of all pairs so far, as in the summary of the run (one decimal),
// and the heading shows the number of pairs.
#pragma once

#include <QWidget>
#include <array>

class QLabel;
class QProgressBar;

namespace trb::gui {

class HistogramBars : public QWidget {
  Q_OBJECT
 public:
  explicit HistogramBars(QWidget* parent = nullptr);

  // The pairs of each class and their number.
  void setCounts(const std::array<int, 7>& counts, int n);
  void reset();
  int bar(int index) const;        // 0..6, the share rounded to whole percent
  QString share(int index) const;  // the share as written above the bar, "12.5%"
  QString heading() const;
  QProgressBar* barWidget(int index) const { return bars_[index]; }

 private:
  std::array<QProgressBar*, 7> bars_{};
  std::array<QLabel*, 7> shares_{};
  QLabel* heading_ = nullptr;
};

}  // namespace trb::gui
