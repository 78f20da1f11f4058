#include "gui/widgets/result_chart.h"

#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QResizeEvent>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace trb::gui {

namespace {

using trb::evaluation::ChartData;

// A step of 1, 2 or 5 times a power of ten that cuts span into at most about `parts` parts.
double niceStep(double span, int parts) {
  if (!(span > 0)) return 1;
  const double raw = span / parts;
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= raw) return m * p;
  return 10 * p;
}

// The value range: the data's own where it gives none; a single value gets room around it.
std::pair<double, double> valueRange(const ChartData& d) {
  double lo = d.yMin, hi = d.yMax;
  if (lo > hi) {
    bool any = false;
    const auto take = [&](const QList<QPointF>& pts) {
      for (const QPointF& p : pts) {
        lo = any ? std::min(lo, p.y()) : p.y();
        hi = any ? std::max(hi, p.y()) : p.y();
        any = true;
      }
    };
    take(d.simulated);
    for (const auto& s : d.observed) take(s);
    if (!any) return {0, 1};
  }
  if (lo == hi) {
    const double pad = lo == 0 ? 1 : std::fabs(lo) / 10;
    return {lo - pad, hi + pad};
  }
  return {lo, hi};
}

std::pair<int, int> yearRange(const ChartData& d) {
  int lo = d.xMin, hi = d.xMax;
  if (lo == 0 && hi == 0) {
    bool any = false;
    const auto take = [&](const QList<QPointF>& pts) {
      for (const QPointF& p : pts) {
        lo = any ? std::min(lo, int(std::floor(p.x()))) : int(std::floor(p.x()));
        hi = any ? std::max(hi, int(std::ceil(p.x()))) : int(std::ceil(p.x()));
        any = true;
      }
    };
    take(d.simulated);
    for (const auto& s : d.observed) take(s);
  }
  if (lo >= hi) return {lo - 1, lo + 1};
  return {lo, hi};
}

// Ticks as dense as the chart's size lets their labels stand apart (crowded labels are elided).
void fitTicks(QValueAxis* x, QValueAxis* y, const QSizeF& size) {
  const int columns = std::clamp(int(size.width() / 90), 2, 8);
  x->setTickInterval(std::max(1.0, niceStep(x->max() - x->min(), columns)));
  const int rows = std::clamp(int(size.height() / 50), 2, 8);
  const double step = niceStep(y->max() - y->min(), rows);
  y->setTickAnchor(std::ceil(y->min() / step) * step);
  y->setTickInterval(step);
}

void fitTicks(QChart* chart, const QSizeF& size) {
  const QList<QAbstractAxis*> x = chart->axes(Qt::Horizontal);
  const QList<QAbstractAxis*> y = chart->axes(Qt::Vertical);
  if (x.isEmpty() || y.isEmpty()) return;
  auto* xAxis = static_cast<QValueAxis*>(x.first());
  auto* yAxis = static_cast<QValueAxis*>(y.first());
  const double xStep = xAxis->tickInterval(), yStep = yAxis->tickInterval();
  fitTicks(xAxis, yAxis, size);
  // the labels were laid out for the old ticks
  if (xAxis->tickInterval() != xStep || yAxis->tickInterval() != yStep)
    chart->layout()->invalidate();
}

QChart* buildChart(const ChartData& d) {
  auto* chart = new QChart;
  chart->setTitle(d.title);
  // numbers in the user's format, years without a group separator
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  chart->setLocale(locale);
  chart->setLocalizeNumbers(true);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);

  auto* line = new QLineSeries(chart);
  line->setName(ResultChart::tr("simulated"));
  line->setPen(QPen(QColor(0, 70, 160), 2));
  line->append(d.simulated);
  chart->addSeries(line);
  bool observed = false;
  for (qsizetype i = 0; i < d.observed.size(); ++i) {
    auto* points = new QScatterSeries(chart);
    points->setName(ResultChart::tr("observed"));
    points->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    points->setMarkerSize(8);
    points->setColor(Qt::red);
    points->setBorderColor(Qt::red);
    points->append(d.observed[i]);
    observed |= !d.observed[i].isEmpty();
    chart->addSeries(points);
  }

  auto* x = new QValueAxis(chart);
  auto* y = new QValueAxis(chart);
  x->setTitleText(d.xTitle);
  y->setTitleText(d.yTitle);
  x->setLabelFormat(QStringLiteral("%.0f"));  // "%d" shows nothing with localized numbers
  const auto [x0, x1] = yearRange(d);
  x->setRange(x0, x1);
  x->setTickType(QValueAxis::TicksDynamic);
  x->setTickAnchor(x0);
  const auto [y0, y1] = valueRange(d);
  y->setRange(y0, y1);
  y->setLabelFormat(QStringLiteral("%.6g"));
  y->setTickType(QValueAxis::TicksDynamic);
  fitTicks(x, y, QSizeF(640, 480));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  for (QAbstractSeries* s : chart->series()) {
    s->attachAxis(x);
    s->attachAxis(y);
  }

  // one legend entry per kind: the line, and the observations when there are any
  chart->legend()->setVisible(observed);
  chart->legend()->setAlignment(Qt::AlignBottom);
  const QList<QAbstractSeries*> all = chart->series();
  for (qsizetype i = 2; i < all.size(); ++i)
    for (QLegendMarker* m : chart->legend()->markers(all[i])) m->setVisible(false);
  return chart;
}

}  // namespace

ResultChart::ResultChart(QWidget* parent) : QChartView(parent) {
  setObjectName(QStringLiteral("resultChart"));
  setRenderHint(QPainter::Antialiasing);
  setMinimumSize(200, 160);
  setData({});
}

void ResultChart::setData(const ChartData& data) {
  data_ = data;
  QChart* old = chart();
  setChart(buildChart(data_));
  fitTicks(chart(), size());
  delete old;
}

void ResultChart::resizeEvent(QResizeEvent* e) {
  QChartView::resizeEvent(e);
  fitTicks(chart(), e->size());
}

void ResultChart::showEvent(QShowEvent* e) {
  QChartView::showEvent(e);
  fitTicks(chart(), size());  // data set while hidden was fitted to another size
}

QList<QAbstractSeries*> ResultChart::series() const {
  return chart()->series();
}

void ResultChart::renderCopy(QPainter& painter, const QSize& size) const {
  QGraphicsScene scene;
  QChart* copy = buildChart(data_);
  fitTicks(copy, QSizeF(size));
  scene.addItem(copy);  // the scene owns it
  copy->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
  copy->layout()->activate();
  scene.setSceneRect(copy->geometry());
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), scene.sceneRect());
}

bool ResultChart::saveSvg(const QString& path, const QSize& size) const {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(data_.title);
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  renderCopy(painter, size);
  return painter.end();
}

QImage ResultChart::toImage(const QSize& size) const {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  renderCopy(painter, size);
  painter.end();
  return image;
}

}  // namespace trb::gui
