// The pages "Management" and "Observation": the loaded plot's lists with their computed columns,
// headed by the label of the clicked node. Their editors belong to the management and
// measurement modules.
#pragma once

#include <QWidget>

#include "core/parameters/browser_data.h"
#include "gui/widgets/row_model.h"

class QLabel;
class QTableView;

namespace trb::gui {

using ManagementModel = RowModel<trb::parameters::ManagementRow>;
using ObservationModel = RowModel<trb::parameters::MeasurementRow>;

class ManagementPage : public QWidget {
  Q_OBJECT
 public:
  explicit ManagementPage(QWidget* parent = nullptr);
  void setHeading(const QString& text);
  void showRows(const QList<trb::parameters::ManagementRow>& rows);

  QLabel* heading = nullptr;
  QTableView* grid = nullptr;
  ManagementModel* model = nullptr;
};

class ObservationPage : public QWidget {
  Q_OBJECT
 public:
  explicit ObservationPage(QWidget* parent = nullptr);
  void setHeading(const QString& text);
  void showRows(const QList<trb::parameters::MeasurementRow>& rows);

  QLabel* heading = nullptr;
  QTableView* grid = nullptr;
  ObservationModel* model = nullptr;
};

// A read-only grid as the browser's pages show it.
QTableView* makeGrid(QWidget* parent, const QString& name);

}  // namespace trb::gui
