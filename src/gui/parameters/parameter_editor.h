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

class ExperimentRelationsWindow;
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
  // The browser's right mouse button on the soil chooser: the editor with the table list filled
  // with tables, shown without blocking (raised when already shown).
  void showModeless(const QStringList& tables);
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
  ExperimentRelationsWindow* relations = nullptr;  // made on the first double click

  // "import from RIS-file": the import window, modally; then the list is read again.
  void importReferences();
  // Double click on a reference: the experiments it is related to.
  void showRelations(qlonglong litId);

 signals:
  // A soil profile was added or deleted: the soil choosers are out of date.
  void soilsChanged();
  // A reference was related to an experiment or the relation deleted.
  void relationsChanged();

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
