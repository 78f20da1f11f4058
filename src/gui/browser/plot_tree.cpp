#include "gui/browser/plot_tree.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

#include "gui/browser/tree_icons.h"

namespace trb::gui {

namespace {

enum Role {
  KindRole = Qt::UserRole,
  ImageRole,
  SelectedImageRole,
  MarkRole,
  RecordRole,
  LocationRole,  // the experiment's keys on every node below the root
  CodeRole,
};

}  // namespace

PlotTree::PlotTree(bool power, QWidget* parent) : QTreeWidget(parent), power_(power) {
  setObjectName(QStringLiteral("plotTree"));
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::NoSelection);
  setIconSize(QSize(18, 18));
  setUniformRowHeights(true);
  setExpandsOnDoubleClick(true);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  // plots are dropped on plots; the tree scrolls by itself near its edges (dragMoveEvent)
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDropIndicatorShown(false);
  setAutoScroll(false);
  // expanding a node whose index is even shows it open; collapsing goes back by one
  connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
    const int image = imageIndex(item);
    if (item->childCount() > 0 && image % 2 == 0) setImage(item, image + 1);
  });
  connect(this, &QTreeWidget::itemCollapsed, this, [this](QTreeWidgetItem* item) {
    if (item->childCount() > 0) setImage(item, imageIndex(item) - 1);
  });
  buildMenus();
}

void PlotTree::buildMenus() {
  auto add = [this](QMenu* menu, const QString& name, const QString& caption, bool enabled,
                    bool powerOnly) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    if (powerOnly && !power_) a->setVisible(false);
    return a;
  };
  Menus& m = menus;
  // The reports, the statistics and the nitrogen balance are commands of their own modules;
  // their entries wait here, disabled. The commands on experiments and plots enable theirs.
  m.experiment = new QMenu(tr("experiment"), this);
  m.experiment->setObjectName(QStringLiteral("experimentMenu"));
  m.deleteExperiment =
      add(m.experiment, QStringLiteral("deleteExperiment"), tr("delete experiment"), false, false);
  m.createGis = add(m.experiment, QStringLiteral("createGis"), QStringLiteral("create GIS support"),
                    false, true);
  m.experimentSimulation = add(m.experiment, QStringLiteral("experimentSimulation"),
                               tr("experiment simulation"), true, false);
  m.experimentReport =
      add(m.experiment, QStringLiteral("experimentReport"), tr("experiment report"), false, true);
  m.showReferences =
      add(m.experiment, QStringLiteral("showReferences"), tr("show references"), false, true);
  m.shiftPlotIds =
      add(m.experiment, QStringLiteral("shiftPlotIds"), tr("shift plots  FL_ID"), false, true);
  m.shiftExperimentId = add(m.experiment, QStringLiteral("shiftExperimentId"),
                            tr("shift experiment ID"), false, true);

  connect(m.showReferences, &QAction::triggered, this, [this] {
    if (active_ && kindOf(active_) == Kind::Experiment)
      emit referencesRequested(locationOf(active_));
  });
  connect(m.experiment, &QMenu::aboutToShow, this, [this] {
    menus.showReferences->setEnabled(
        isSignalConnected(QMetaMethod::fromSignal(&PlotTree::referencesRequested)));
  });

  m.plots = new QMenu(this);
  m.plots->setObjectName(QStringLiteral("plotsMenu"));
  m.addPlot = add(m.plots, QStringLiteral("addPlot"), tr("add a new plot"), false, false);
  m.deletePlot = add(m.plots, QStringLiteral("deletePlot"), tr("delete active plot"), false, false);

  m.root = new QMenu(this);
  m.root->setObjectName(QStringLiteral("rootMenu"));
  m.createExperiment =
      add(m.root, QStringLiteral("createExperiment"), tr("create a new experiment"), false, false);
  m.databaseSimulation =
      add(m.root, QStringLiteral("databaseSimulation"), tr("database simulation"), true, false);
  m.siteReport =
      add(m.root, QStringLiteral("siteReport"), tr("site condition report"), false, false);
  m.updateStatistics =
      add(m.root, QStringLiteral("updateStatistics"), tr("Update-Statistics"), true, true);
  m.nBalance = add(m.root, QStringLiteral("nBalance"), tr("N-balance"), true, true);
  m.rInterface = add(m.root, QStringLiteral("rInterface"), tr("\"R\" interface"), true, true);
  m.scriptStatistics =
      add(m.root, QStringLiteral("scriptStatistics"), tr("script based statistics"), true, true);
}

QMenu* PlotTree::menuFor(Kind kind) const {
  switch (kind) {
    case Kind::Experiment:
      return menus.experiment;
    case Kind::Plots:
    case Kind::Plot:
      return menus.plots;
    case Kind::Root:
      return menus.root;
    default:
      return nullptr;
  }
}

PlotTree::Kind PlotTree::kindOf(const QTreeWidgetItem* item) {
  return static_cast<Kind>(item->data(0, KindRole).toInt());
}

int PlotTree::imageIndex(const QTreeWidgetItem* item) {
  return item->data(0, ImageRole).toInt();
}

int PlotTree::selectedImageIndex(const QTreeWidgetItem* item) {
  return item->data(0, SelectedImageRole).toInt();
}

bool PlotTree::isMarked(const QTreeWidgetItem* item) {
  return item->data(0, MarkRole).toBool();
}

PlotRecord PlotTree::record(const QTreeWidgetItem* item) {
  return item->data(0, RecordRole).value<PlotRecord>();
}

void PlotTree::setRecord(QTreeWidgetItem* item, const PlotRecord& r) {
  item->setData(0, RecordRole, QVariant::fromValue(r));
}

QTreeWidgetItem* PlotTree::addNode(QTreeWidgetItem* parent, Kind kind, const QString& label,
                                   int image, int selectedImage) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
  item->setText(0, label);
  item->setData(0, KindRole, static_cast<int>(kind));
  item->setData(0, SelectedImageRole, selectedImage);
  setImage(item, image);
  return item;
}

void PlotTree::setImage(QTreeWidgetItem* item, int image) {
  item->setData(0, ImageRole, image);
  showIcon(item);
}

void PlotTree::showIcon(QTreeWidgetItem* item) {
  // the marked node shows its selected-state picture with the marker, in bold
  const bool marked = isMarked(item);
  item->setIcon(0, marked ? markedTreeIcon(selectedImageIndex(item)) : treeIcon(imageIndex(item)));
  QFont f = font();
  f.setBold(marked);
  item->setFont(0, f);
}

void PlotTree::setMarker(QTreeWidgetItem* item, bool on) {
  if (!item) return;
  item->setData(0, MarkRole, on);
  showIcon(item);
}

void PlotTree::rebuild(const QString& rootLabel,
                       const QList<trb::browser::ExperimentNode>& experiments,
                       const std::function<void(int, const QString&)>& progress) {
  active_ = nullptr;
  pressedPlot_ = nullptr;
  clear();
  QTreeWidgetItem* root =
      addNode(nullptr, Kind::Root, rootLabel, TreeImage::Root, TreeImage::RootOpen);
  const QString filesLabel = tr("files");
  const QString plotsLabel = tr("plots");
  int done = 0;
  for (const trb::browser::ExperimentNode& e : experiments) {
    if (progress) progress(done, e.location);
    const auto keyed = [&e](QTreeWidgetItem* item) {
      item->setData(0, LocationRole, e.location);
      item->setData(0, CodeRole, e.vcode);
      return item;
    };
    QTreeWidgetItem* exp = keyed(addNode(
        root, Kind::Experiment, trb::browser::experimentLabel(e.location, e.vcode),
        e.hasReferences ? TreeImage::ExperimentWithReferences : TreeImage::Experiment,
        e.hasReferences ? TreeImage::ExperimentWithReferencesOpen : TreeImage::ExperimentOpen));
    if (power_)
      keyed(addNode(exp, Kind::Files, filesLabel, TreeImage::Files, TreeImage::FilesOpen));
    QTreeWidgetItem* plots =
        keyed(addNode(exp, Kind::Plots, plotsLabel, TreeImage::Plots, TreeImage::PlotsOpen));
    for (const trb::browser::PlotNode& p : e.plots) {
      QTreeWidgetItem* node = keyed(
          addNode(plots, Kind::Plot, p.siteDescription,
                  p.resultRows > 0 ? TreeImage::PlotWithResults : TreeImage::PlotWithoutResults,
                  TreeImage::PlotSelected));
      PlotRecord r;
      r.snr = p.flId;
      r.vcode = p.vcode;
      setRecord(node, r);
    }
    ++done;
  }
  root->setExpanded(true);
  active_ = root;
}

QString PlotTree::locationOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, LocationRole).toString() : QString();
}

QString PlotTree::codeOf(const QTreeWidgetItem* item) {
  return item ? item->data(0, CodeRole).toString() : QString();
}

QTreeWidgetItem* PlotTree::findPlot(qlonglong flId, const QString& location) {
  QTreeWidgetItem* found = nullptr;
  for (QTreeWidgetItemIterator it(this); *it; ++it) {
    if (kindOf(*it) != Kind::Plot || record(*it).snr != flId) continue;
    if (!found || (locationOf(found) != location && locationOf(*it) == location)) found = *it;
  }
  if (!found) return nullptr;
  // the experiment opens with everything below it
  QTreeWidgetItem* exp = found->parent() ? found->parent()->parent() : nullptr;
  const std::function<void(QTreeWidgetItem*)> expandAll = [&expandAll](QTreeWidgetItem* n) {
    if (n->childCount() == 0) return;
    n->setExpanded(true);
    for (int i = 0; i < n->childCount(); ++i) expandAll(n->child(i));
  };
  if (exp) expandAll(exp);
  return found;
}

void PlotTree::mousePressEvent(QMouseEvent* e) {
  QTreeWidget::mousePressEvent(e);
  setMarker(active_, false);
  QTreeWidgetItem* item = itemAt(e->position().toPoint());
  active_ = item;
  pressedPlot_ = nullptr;
  if (!item) return;
  if (e->button() == Qt::LeftButton) {
    if (kindOf(item) == Kind::Plot) {
      pressedPlot_ = item;
      pressPos_ = e->position().toPoint();
    }
    emit leftPressed(item, e->modifiers());
  } else if (e->button() == Qt::RightButton) {
    emit rightPressed(item);
    if (QMenu* menu = menuFor(kindOf(item))) menu->popup(e->globalPosition().toPoint());
  }
}

void PlotTree::mouseMoveEvent(QMouseEvent* e) {
  if ((e->buttons() & Qt::LeftButton) && pressedPlot_ &&
      (e->position().toPoint() - pressPos_).manhattanLength() >=
          QApplication::startDragDistance()) {
    // the window records the loaded plot as the source of a copy
    dragging_ = true;
    QTreeWidgetItem* plot = pressedPlot_;
    pressedPlot_ = nullptr;
    emit dragStarted();
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setText(QString::number(record(plot).snr));
    mime->setData(QString::fromLatin1(kPlotMimeType), QByteArray::number(record(plot).snr));
    drag->setMimeData(mime);
    drag->setPixmap(treeIcon(imageIndex(plot)).pixmap(iconSize()));
    drag->exec(Qt::CopyAction);
    return;
  }
  QTreeWidget::mouseMoveEvent(e);
}

QTreeWidgetItem* PlotTree::dropTarget(const QPoint& pos) const {
  QTreeWidgetItem* item = itemAt(pos);
  return item && kindOf(item) == Kind::Plot ? item : nullptr;
}

void PlotTree::dragEnterEvent(QDragEnterEvent* e) {
  // only plots dragged in the tree
  if (e->mimeData()->hasFormat(QString::fromLatin1(kPlotMimeType)) && dropAllowed && dropAllowed())
    e->acceptProposedAction();
  else
    e->ignore();
}

void PlotTree::dragMoveEvent(QDragMoveEvent* e) {
  const QPoint pos = e->position().toPoint();
  // one line up above the top edge, one line down close to the bottom edge
  QScrollBar* bar = verticalScrollBar();
  if (pos.y() < 5)
    bar->setValue(bar->value() - bar->singleStep());
  else if (pos.y() > viewport()->height() - 5)
    bar->setValue(bar->value() + bar->singleStep());
  if (e->mimeData()->hasFormat(QString::fromLatin1(kPlotMimeType)) && dropAllowed &&
      dropAllowed() && dropTarget(pos))
    e->acceptProposedAction();
  else
    e->ignore();
}

void PlotTree::dropEvent(QDropEvent* e) {
  QTreeWidgetItem* target = dropTarget(e->position().toPoint());
  if (!e->mimeData()->hasFormat(QString::fromLatin1(kPlotMimeType)) || !target || !dropAllowed ||
      !dropAllowed()) {
    e->ignore();
    return;
  }
  e->acceptProposedAction();
  emit plotDropped(target);
}

}  // namespace trb::gui
