#include "gui/widgets/result_chart.h"

#include <QPainter>
#include <QResizeEvent>

#include "render/chart_picture.h"

namespace trb::gui {

using trb::evaluation::ChartData;
using trb::render::chartTickSteps;

ResultChart::ResultChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("resultChart"));
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(200, 160);
  setData({});
}

void ResultChart::setData(const ChartData& data) {
  data_ = data;
  rebuild(size());
}

void ResultChart::rebuild(const QSize& size) {
  QChart* old = chart();
  setChart(trb::render::newResultChart(data_, QSizeF(size)));
  const trb::render::TickSteps steps = chartTickSteps(data_, QSizeF(size));
  steps_ = {steps.x, steps.y};
  delete old;
}

bool ResultChart::ticksFit(const QSize& size) const {
  const trb::render::TickSteps want = chartTickSteps(data_, QSizeF(size));
  return want.x == steps_.first && want.y == steps_.second;
}

void ResultChart::resizeEvent(QResizeEvent* e) {
  if (!ticksFit(e->size())) rebuild(e->size());
  QChartView::resizeEvent(e);
}

QList<QAbstractSeries*> ResultChart::series() const {
  return chart()->series();
}

bool ResultChart::saveSvg(const QString& path, const QSize& size) const {
  return trb::render::saveChartSvg(data_, path, size);
}

QImage ResultChart::toImage(const QSize& size) const {
  return trb::render::chartImage(data_, size);
}

}  // namespace trb::gui
