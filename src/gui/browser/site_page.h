// The page "Basic-Info": the clicked plot's site description, read-only here, and the single-plot
// run with its repeat controls.
#pragma once

#include <QList>
#include <QWidget>

#include "core/browser/browser_service.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace trb::gui {

class SitePage : public QWidget {
  Q_OBJECT
 public:
  explicit SitePage(bool power, QWidget* parent = nullptr);

  // The station and soil choosers ("-?-" first, key -99).
  void setStations(const QList<trb::parameters::ChooserEntry>& stations);
  void setSoils(const QList<trb::parameters::ChooserEntry>& soils);
  // Shows a plot's site description; firstYear goes to "1st year" and "from".
  void showSite(const trb::browser::SiteDescription& site, int firstYear);

  QGroupBox* siteBox = nullptr;  // "Site Conditions"
  QLineEdit* batEdit = nullptr;  // biol. active time [d/yr]
  QLineEdit* areaEdit = nullptr;
  QLineEdit* plotEdit = nullptr;
  QLineEdit* sourceEdit = nullptr;
  QLineEdit* stateEdit = nullptr;
  QComboBox* weatherBox = nullptr;
  QLabel* soilLabel = nullptr;
  QComboBox* soilBox = nullptr;
  QLineEdit* firstYearEdit = nullptr;  // "1st year"
  QLineEdit* flIdEdit = nullptr;       // "FL_ID="
  QPushButton* updateButton = nullptr;
  QPushButton* printButton = nullptr;
  QPushButton* referencesButton = nullptr;
  QPushButton* runButton = nullptr;  // "model run (plot)"
  QSpinBox* repeatBox = nullptr;
  QLineEdit* fromEdit = nullptr;

 private:
  static void selectKey(QComboBox* box, qlonglong key);
};

}  // namespace trb::gui
