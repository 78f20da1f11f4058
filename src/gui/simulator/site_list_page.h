// The simulator's "database" tab: the plots of the next run. Its model and its current row are
// shared with the assessment page, which shows the same list beside the pairs of the chosen plot.
#pragma once

#include <QWidget>
#include <optional>

#include "gui/simulator/site_list_model.h"

class QTableView;

namespace trb::gui {

class SiteListPage : public QWidget {
  Q_OBJECT
 public:
  explicit SiteListPage(QWidget* parent = nullptr);

  // Shows the rows; the current row moves to the first when first is set.
  void refresh(const QList<trb::engine::SiteRow>& rows, bool first = false);
  void clear();
  // The plot of the current row, none when no row is current.
  std::optional<qlonglong> currentPlot() const;

  QTableView* grid() const { return grid_; }
  SiteListModel* model() { return &model_; }

 signals:
  void currentPlotChanged();

 private:
  SiteListModel model_;
  QTableView* grid_ = nullptr;
};

// A read-only grid of whole rows, one current row at a time.
QTableView* makeRowGrid(QWidget* parent, const QString& name);

}  // namespace trb::gui
