// The page "Basic-Info": the clicked plot's site description with its editing commands, and the
// single-plot run with its repeat controls.
//
// The page shows and edits; saving, the soil dialog and the other windows are reached through its
// signals. "print site desc.", "show references" and the double click on "weather" are enabled
// only while something is connected to their signal; the double click on "soil" opens the
// parameter editor in power mode when soilEditorRequested is connected, otherwise it asks for the
// simple soil description.
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
class QTimer;

namespace trb::gui {

class RepeatControls;

class SitePage : public QWidget {
  Q_OBJECT
 public:
  explicit SitePage(bool power, QWidget* parent = nullptr);

  // The station and soil choosers ("-?-" first, key -99).
  void setStations(const QList<trb::parameters::ChooserEntry>& stations);
  void setSoils(const QList<trb::parameters::ChooserEntry>& soils);
  // Shows a plot's site description; firstYear goes to "1st year" and "from". The fields become
  // editable.
  void showSite(const trb::browser::SiteDescription& site, int firstYear);
  // No plot: empty, read-only fields.
  void clearSite();
  // Chooses the entry of a key ("-?-" when there is none).
  void selectStation(qlonglong key) { selectKey(weatherBox, key); }
  void selectSoil(qlonglong key) { selectKey(soilBox, key); }
  // The key shown in "FL_ID=", -99 without a plot.
  qlonglong plotKey() const;

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
  RepeatControls* repeatControls = nullptr;

 signals:
  // "update changes", or the user chose another station or soil.
  void saveRequested();
  // Double click on "weather": edit the chosen station, then save.
  void weatherRequested(qlonglong station);
  // Double click on "soil" in power mode: the parameter editor on this soil.
  void soilEditorRequested(qlonglong soil);
  // Double click on "soil" otherwise: the simple soil description.
  void simpleSoilRequested(qlonglong soil);
  // Right mouse button on the soil chooser: the parameter editor.
  void parameterEditorRequested();
  // "show references": the literature of the plot.
  void referencesRequested(qlonglong plot);
  // "print site desc.": the site report of the plot.
  void siteReportRequested(qlonglong plot);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  static void selectKey(QComboBox* box, qlonglong key);
  void setEditable(bool on);
  void weatherDoubleClicked();
  void soilDoubleClicked();
  bool connected(const QMetaMethod& signal) const { return isSignalConnected(signal); }

  bool power_ = true;
  QLabel* weatherLabel_ = nullptr;
  // A press on a chooser opens its list only when no second click follows: a double click is
  // the editing command.
  QComboBox* pendingPopup_ = nullptr;
  QTimer* popupTimer_ = nullptr;
};

}  // namespace trb::gui
