#include "gui/browser/tree_icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace trb::gui {

namespace {

constexpr int kSize = 32;  // drawn large, scaled down by the view

void drawFolder(QPainter& p, const QColor& color, bool open) {
  p.setPen(QPen(color.darker(160), 1.5));
  p.setBrush(color);
  QPainterPath tab;
  tab.addRoundedRect(QRectF(3, 6, 11, 6), 1.5, 1.5);
  p.drawPath(tab);
  if (open) {
    p.drawRect(QRectF(3, 10, 24, 17));
    p.setBrush(color.lighter(130));
    QPolygonF front{{7, 14}, {30, 14}, {26, 27}, {3, 27}};
    p.drawPolygon(front);
  } else {
    p.drawRoundedRect(QRectF(3, 10, 26, 17), 2, 2);
  }
}

void drawDatabase(QPainter& p, bool open) {
  const QColor c = open ? QColor(0x4a, 0x78, 0xc2) : QColor(0x35, 0x5c, 0x9e);
  p.setPen(QPen(c.darker(150), 1.5));
  p.setBrush(c);
  p.drawRect(QRectF(6, 8, 20, 17));
  p.setBrush(c.lighter(150));
  p.drawEllipse(QRectF(6, 21, 20, 8));
  p.setBrush(c.lighter(170));
  p.drawEllipse(QRectF(6, 4, 20, 8));
  p.setPen(QPen(Qt::white, 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(6, 12, 20, 8), 180 * 16, 180 * 16);
}

// A barn-like house: the experiment station.
void drawExperiment(QPainter& p, bool open, bool references) {
  const QColor wall = open ? QColor(0xc8, 0x5a, 0x32) : QColor(0xa8, 0x44, 0x25);
  p.setPen(QPen(wall.darker(170), 1.5));
  p.setBrush(wall);
  p.drawRect(QRectF(6, 14, 20, 14));
  p.setBrush(QColor(0x5b, 0x3a, 0x29));
  p.drawPolygon(QPolygonF{{3, 15}, {16, 4}, {29, 15}});
  p.setBrush(QColor(0xf3, 0xe3, 0xb5));
  p.drawRect(QRectF(13, 19, 6, 9));
  if (references) {  // a small book in the corner
    p.setPen(QPen(QColor(0x1d, 0x4d, 0x8f), 1.2));
    p.setBrush(QColor(0xff, 0xf1, 0x8a));
    p.drawRect(QRectF(19, 18, 12, 13));
    p.drawLine(QPointF(22, 22), QPointF(28, 22));
    p.drawLine(QPointF(22, 25), QPointF(28, 25));
    p.drawLine(QPointF(22, 28), QPointF(28, 28));
  }
}

void drawTable(QPainter& p, bool open) {
  const QColor c = open ? QColor(0x8e, 0x5b, 0xb5) : QColor(0x6e, 0x45, 0x91);
  p.setPen(QPen(c.darker(150), 1.5));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4, 6, 24, 21));
  p.setBrush(c);
  p.drawRect(QRectF(4, 6, 24, 6));
  p.drawLine(QPointF(4, 19), QPointF(28, 19));
  p.drawLine(QPointF(12, 12), QPointF(12, 27));
  p.drawLine(QPointF(20, 12), QPointF(20, 27));
}

// A field with furrows; with results a small chart line over it.
void drawPlot(QPainter& p, const QColor& field, bool results, bool selected) {
  p.setPen(QPen(field.darker(170), 1.5));
  p.setBrush(field);
  p.drawPolygon(QPolygonF{{2, 28}, {9, 12}, {30, 12}, {30, 28}});
  p.setPen(QPen(field.darker(140), 1.2));
  for (int x = 12; x <= 27; x += 5) p.drawLine(QPointF(x - 4, 27), QPointF(x, 13));
  if (results) {
    p.setPen(QPen(QColor(0xd0, 0x1c, 0x1c), 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{{4, 9}, {11, 5}, {17, 8}, {24, 2}, {30, 4}});
  }
  if (selected) {
    p.setPen(QPen(QColor(0x1d, 0x4d, 0x8f), 2.5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1.5, 1.5, 29, 29));
  }
}

QPixmap draw(int index) {
  QPixmap pm(kSize, kSize);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case TreeImage::Plots:
      drawFolder(p, QColor(0xe8, 0xc0, 0x4a), false);
      break;
    case TreeImage::PlotsOpen:
      drawFolder(p, QColor(0xf0, 0xcf, 0x5f), true);
      break;
    case TreeImage::Experiment:
      drawExperiment(p, false, false);
      break;
    case TreeImage::ExperimentOpen:
      drawExperiment(p, true, false);
      break;
    case TreeImage::PlotSelected:
      drawPlot(p, QColor(0x9b, 0xcf, 0x5c), false, true);
      break;
    case TreeImage::Root:
      drawDatabase(p, false);
      break;
    case TreeImage::RootOpen:
      drawDatabase(p, true);
      break;
    case TreeImage::Files:
      drawTable(p, false);
      break;
    case TreeImage::FilesOpen:
      drawTable(p, true);
      break;
    case TreeImage::PlotWithResults:
      drawPlot(p, QColor(0x6f, 0xa8, 0x3a), true, false);
      break;
    case TreeImage::PlotWithoutResults:
      drawPlot(p, QColor(0xb8, 0x9b, 0x6c), false, false);
      break;
    case TreeImage::ExperimentWithReferencesOpen:
      drawExperiment(p, true, true);
      break;
    case TreeImage::ExperimentWithReferences:
      drawExperiment(p, false, true);
      break;
    default:
      return QPixmap();
  }
  return pm;
}

}  // namespace

QIcon treeIcon(int index) {
  static QHash<int, QIcon> cache;
  auto it = cache.find(index);
  if (it == cache.end()) {
    const QPixmap pm = draw(index);
    it = cache.insert(index, pm.isNull() ? QIcon() : QIcon(pm));
  }
  return *it;
}

QIcon markedTreeIcon(int index) {
  static QHash<int, QIcon> cache;
  auto it = cache.find(index);
  if (it == cache.end()) {
    QPixmap pm = draw(index);
    if (pm.isNull()) {
      pm = QPixmap(kSize, kSize);
      pm.fill(Qt::transparent);
    }
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // the state marker: a red pin in the lower left corner
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(0xd0, 0x1c, 0x1c));
    p.drawEllipse(QRectF(0.5, 18.5, 13, 13));
    it = cache.insert(index, QIcon(pm));
  }
  return *it;
}

}  // namespace trb::gui
