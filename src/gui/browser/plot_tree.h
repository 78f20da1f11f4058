// The browser's tree: the database, its experiments, their "files" and "plots" nodes and the plots.
//
// A node's kind is known by its image index (the indices in TreeImage); the node also carries the
// kind itself. The tree never changes its selection on its own: what counts as chosen is the node
// last pressed, which carries the state marker.
#pragma once

#include <QList>
#include <QTreeWidget>
#include <functional>

#include "core/browser/browser_service.h"

class QAction;
class QMenu;

namespace trb::gui {

// The record of a plot node: the key and code when the tree is built, source and location once
// the plot has been clicked.
struct PlotRecord {
  qlonglong snr = 0;  // FL_ID
  QString herkunft;
  QString vcode;
  QString dbName;  // location
};

class PlotTree : public QTreeWidget {
  Q_OBJECT
 public:
  enum class Kind { Root, Experiment, Files, Plots, Plot };

  explicit PlotTree(bool power, QWidget* parent = nullptr);

  // Clears the tree and adds the root, the experiments and their plots. progress is told each
  // experiment's location before its plots are added.
  void rebuild(const QString& rootLabel, const QList<trb::browser::ExperimentNode>& experiments,
               const std::function<void(int done, const QString& location)>& progress = {});

  static Kind kindOf(const QTreeWidgetItem* item);
  static int imageIndex(const QTreeWidgetItem* item);
  static int selectedImageIndex(const QTreeWidgetItem* item);
  static bool isMarked(const QTreeWidgetItem* item);
  static PlotRecord record(const QTreeWidgetItem* item);
  static void setRecord(QTreeWidgetItem* item, const PlotRecord& r);

  // The node last pressed (the design's a_item); the root right after a rebuild.
  QTreeWidgetItem* activeItem() const { return active_; }
  void setActiveItem(QTreeWidgetItem* item) { active_ = item; }
  // Puts the state marker on a node or takes it off.
  void setMarker(QTreeWidgetItem* item, bool on);
  // The node of plot flId, preferably under the experiment at location; its experiment is
  // expanded with everything below it. Null when the tree has no such plot.
  QTreeWidgetItem* findPlot(qlonglong flId, const QString& location = QString());
  // The experiment a node belongs to (itself, its "files", "plots" and plot nodes), as the keys
  // the node carries: its location and code. Empty for the root.
  static QString locationOf(const QTreeWidgetItem* item);
  static QString codeOf(const QTreeWidgetItem* item);

  // Set when the user starts dragging a plot; stays set while the tree exists.
  bool dragging() const { return dragging_; }
  // The format of a dragged plot: its key as text.
  static constexpr const char* kPlotMimeType = "application/x-trb-plot";
  // Whether a plot dragged in the tree may be dropped now (the window's visible page decides);
  // without it no drop is taken.
  std::function<bool()> dropAllowed;

  // Commands of the node menus. Items whose commands are not part of this version are disabled.
  struct Menus {
    QMenu* experiment = nullptr;
    QAction* deleteExperiment = nullptr;
    QAction* createGis = nullptr;
    QAction* experimentSimulation = nullptr;
    QAction* experimentReport = nullptr;
    QAction* showReferences = nullptr;
    QAction* shiftPlotIds = nullptr;
    QAction* shiftExperimentId = nullptr;
    QMenu* plots = nullptr;
    QAction* addPlot = nullptr;
    QAction* deletePlot = nullptr;
    QMenu* root = nullptr;
    QAction* createExperiment = nullptr;
    QAction* databaseSimulation = nullptr;
    QAction* siteReport = nullptr;
    QAction* updateStatistics = nullptr;
    QAction* nBalance = nullptr;
    QAction* rInterface = nullptr;
    QAction* scriptStatistics = nullptr;
  } menus;

  // The menu a right press on a node of this kind opens (null: none).
  QMenu* menuFor(Kind kind) const;

 signals:
  // A left press on a node (the design's item_click follows).
  void leftPressed(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers);
  // A right press on a node, before its menu opens.
  void rightPressed(QTreeWidgetItem* item);
  // "show references" of the experiment menu: the literature of the experiment at location. The
  // entry is enabled while something is connected here.
  void referencesRequested(const QString& location);
  // The user starts dragging a plot / drops a dragged plot on the plot node target.
  void dragStarted();
  void plotDropped(QTreeWidgetItem* target);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dragMoveEvent(QDragMoveEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  QTreeWidgetItem* addNode(QTreeWidgetItem* parent, Kind kind, const QString& label, int image,
                           int selectedImage);
  void setImage(QTreeWidgetItem* item, int image);
  void showIcon(QTreeWidgetItem* item);
  void buildMenus();
  QTreeWidgetItem* dropTarget(const QPoint& pos) const;

  QTreeWidgetItem* active_ = nullptr;
  bool power_ = true;
  bool dragging_ = false;
  QPoint pressPos_;
  QTreeWidgetItem* pressedPlot_ = nullptr;
};

}  // namespace trb::gui

Q_DECLARE_METATYPE(trb::gui::PlotRecord)
