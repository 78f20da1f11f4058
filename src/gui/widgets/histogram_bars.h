// The error histogram of the simulator: seven bars in percent with their class labels.
#pragma once

#include <QWidget>
#include <array>

class QProgressBar;

namespace trb::gui {

class HistogramBars : public QWidget {
  Q_OBJECT
 public:
  explicit HistogramBars(QWidget* parent = nullptr);

  void setBars(const std::array<int, 7>& bars);
  void reset();
  int bar(int index) const;  // 0..6
  QProgressBar* barWidget(int index) const { return bars_[index]; }

 private:
  std::array<QProgressBar*, 7> bars_{};
};

}  // namespace trb::gui
