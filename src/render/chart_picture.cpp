#include "render/chart_picture.h"

#include <QChart>
#include <QCoreApplication>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace trb::render {

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

// Draws the chart of data at size on painter.
void paintChart(const ChartData& data, QPainter& painter, const QSize& size) {
  QGraphicsScene scene;
  QChart* chart = newResultChart(data, QSizeF(size));
  scene.addItem(chart);  // the scene owns it
  chart->setGeometry(QRectF(QPointF(0, 0), QSizeF(size)));
  chart->layout()->activate();
  scene.setSceneRect(chart->geometry());
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), scene.sceneRect());
}

QString tr(const char* text) {
  return QCoreApplication::translate("trb::render::ChartPicture", text);
}

}  // namespace

TickSteps chartTickSteps(const ChartData& d, const QSizeF& size) {
  const auto [x0, x1] = yearRange(d);
  const auto [y0, y1] = valueRange(d);
  const int columns = std::clamp(int(size.width() / 90), 2, 8);
  const int rows = std::clamp(int(size.height() / 50), 2, 8);
  return {std::max(1.0, niceStep(x1 - x0, columns)), niceStep(y1 - y0, rows)};
}

QChart* newResultChart(const ChartData& d, const QSizeF& size) {
  const TickSteps steps = chartTickSteps(d, size);
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
  line->setName(tr("simulated"));
  line->setPen(QPen(QColor(0, 70, 160), 2));
  line->append(d.simulated);
  chart->addSeries(line);
  bool observed = false;
  for (qsizetype i = 0; i < d.observed.size(); ++i) {
    auto* points = new QScatterSeries(chart);
    points->setName(tr("observed"));
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
  x->setTickInterval(steps.x);
  y->setTickAnchor(std::ceil(y0 / steps.y) * steps.y);
  y->setTickInterval(steps.y);
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

bool saveChartSvg(const ChartData& data, const QString& path, const QSize& size) {
  QSvgGenerator svg;
  svg.setFileName(path);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(data.title);
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  paintChart(data, painter, size);
  return painter.end();
}

QImage chartImage(const ChartData& data, const QSize& size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  paintChart(data, painter, size);
  painter.end();
  return image;
}

}  // namespace trb::render
