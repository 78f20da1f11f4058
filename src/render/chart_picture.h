// The chart of a result page: the simulated values as a line, the observations as filled red
// squares, over the years. Made here for the window's chart view and drawn at any size into an
// SVG file or a picture for the reports, without a window.
#pragma once

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

#include "core/evaluation/result_pages.h"

class QChart;

namespace trb::render {

// Tick steps as dense as the chart's size lets their labels stand apart (crowded labels are
// elided). The axes take them when they are made: a step changed later is not redrawn.
struct TickSteps {
  double x = 1, y = 1;
  bool operator==(const TickSteps&) const = default;
};
TickSteps chartTickSteps(const trb::evaluation::ChartData& data, const QSizeF& size);

// A new chart of data with the tick steps for size; the caller owns it.
QChart* newResultChart(const trb::evaluation::ChartData& data, const QSizeF& size);

// The chart drawn at the given size into an SVG file; false when the file cannot be written.
bool saveChartSvg(const trb::evaluation::ChartData& data, const QString& path, const QSize& size);
// The chart drawn at the given size on a white picture.
QImage chartImage(const trb::evaluation::ChartData& data, const QSize& size);

}  // namespace trb::render
