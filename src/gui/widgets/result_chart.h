// The chart of a result page on screen: the simulated values as a line, the observations as
// filled red squares, over the years. For the reports it draws the same chart, made by the render
// library, into an SVG file or a picture of any size.
#pragma once

#include <QChartView>
#include <QImage>
#include <QSize>
#include <utility>

#include "core/evaluation/result_pages.h"

namespace trb::gui {

class ResultChart : public QChartView {
  Q_OBJECT
 public:
  explicit ResultChart(QWidget* parent = nullptr);

  // Replaces whatever the chart showed.
  void setData(const trb::evaluation::ChartData& data);
  void clear() { setData({}); }
  const trb::evaluation::ChartData& data() const { return data_; }

  // The chart drawn at the given size into an SVG file; false when the file cannot be written.
  bool saveSvg(const QString& path, const QSize& size) const;
  // The chart drawn at the given size on a white picture.
  QImage toImage(const QSize& size) const;

  // The series as drawn: series 0 the line, 1 to 11 the observations.
  QList<QAbstractSeries*> series() const;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  // A new chart of data_ with ticks for size; the axes' steps are fixed when they are made.
  void rebuild(const QSize& size);
  bool ticksFit(const QSize& size) const;

  trb::evaluation::ChartData data_;
  std::pair<double, double> steps_;  // the tick steps the shown chart was made for
};

}  // namespace trb::gui
