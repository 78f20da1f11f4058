// "SOLVA-Parameter": the model's parameter tables, the soil profiles, the measurement properties,
// any table of the database, the result tables and the references, one page each.
#pragma once

#include <QDialog>
#include <QStringList>

class QPushButton;
class QTabWidget;

namespace trb::db {
class Database;
}

namespace trb::gui {

class OrganicMatterPage;
class ParameterTablePage;
class ReferencesPage;
class SoilProfilePage;
class TableBrowserPage;

class ParameterEditor : public QDialog {
  Q_OBJECT
 public:
  explicit ParameterEditor(trb::db::Database& db, QWidget* parent = nullptr);
  ~ParameterEditor() override;

  // "Parameters" of the main window: the table list filled with tables, the page "Crop-Parm"
  // selected, shown modally.
  int openModal(const QStringList& tables);
  // The browser's double click on "soil" in power mode: the soil profile soilId on the page
  // "Soil Profiles", shown without blocking.
  void showSoilProfile(int soilId);
  // Reads every page again, keeping the page shown.
  void reload();

  QTabWidget* pages = nullptr;
  OrganicMatterPage* organicMatterPage = nullptr;
  ParameterTablePage* cropPage = nullptr;
  ParameterTablePage* fertilizerPage = nullptr;
  ParameterTablePage* actionPage = nullptr;
  ParameterTablePage* propertyPage = nullptr;
  SoilProfilePage* soilPage = nullptr;
  TableBrowserPage* databasePage = nullptr;
  TableBrowserPage* resultsPage = nullptr;
  ReferencesPage* referencesPage = nullptr;
  QPushButton* endButton = nullptr;

 signals:
  // A soil profile was added or deleted: the soil choosers are out of date.
  void soilsChanged();

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  // Leaving the window: unsaved soil values are written and checked, the organic matter shows
  // every row again.
  void finishEditing();

  trb::db::Database& db_;
};

}  // namespace trb::gui
