#include "gui/parameters/parameter_editor.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/parameters/parameter_tables.h"
#include "gui/parameters/organic_matter_page.h"
#include "gui/parameters/parameter_table_page.h"
#include "gui/parameters/references_page.h"
#include "gui/parameters/soil_profile_page.h"
#include "gui/parameters/table_browser_page.h"
#include "gui/references/relations_window.h"
#include "gui/references/ris_import_dialog.h"
#include "gui/reports/report_commands.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

QList<TableEditorModel::Shown> named(const QStringList& columns) {
  QList<TableEditorModel::Shown> out;
  for (const QString& c : columns) out.append({c, c});
  return out;
}

}  // namespace

ParameterEditor::ParameterEditor(trb::db::Database& db, QWidget* parent)
    : QDialog(parent), db_(db) {
  setObjectName(QStringLiteral("parameterEditor"));
  setWindowTitle(QStringLiteral("SOLVA-Parameter"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  auto* layout = new QVBoxLayout(this);
  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));

  organicMatterPage = new OrganicMatterPage(db, this);
  cropPage = new ParameterTablePage(db, QStringLiteral("SLVPFLAN"),
                                    named({"item_ix", "name", "CEWR", "FEWR", "N_gehalt", "HI",
                                           "ewr_ix", "grd_ix", "kop_ix", "ros_ix", "kurzbez"}),
                                    this);
  fertilizerPage = new ParameterTablePage(db, QStringLiteral("SLVMINDG"), {}, this);
  actionPage = new ParameterTablePage(db, QStringLiteral("SLVAKTION"), {}, this);
  propertyPage = new ParameterTablePage(db, QStringLiteral("SLN_MWML"),
                                        {{QStringLiteral("M_IX"), tr("INDEX")},
                                         {QStringLiteral("BEZEICHNUNG"), tr("NAME")},
                                         {QStringLiteral("EINHEIT"), tr("UNIT")}},
                                        this);
  soilPage = new SoilProfilePage(db, this);
  databasePage = new TableBrowserPage(db, this);
  resultsPage = new TableBrowserPage(db, this);
  resultsPage->setTables(trb::parameters::resultTables());
  referencesPage = new ReferencesPage(db, this);

  pages->addTab(organicMatterPage, QStringLiteral("OM-Parm"));
  pages->addTab(cropPage, QStringLiteral("Crop-Parm"));
  pages->addTab(fertilizerPage, tr("Fertilizers"));
  pages->addTab(actionPage, tr("Actions"));
  pages->addTab(propertyPage, tr("Properties"));
  pages->addTab(soilPage, tr("Soil Profiles"));
  pages->addTab(databasePage, QStringLiteral("ACCESS-DATABASE"));
  pages->addTab(resultsPage, tr("Results"));
  pages->addTab(referencesPage, tr("references"));
  layout->addWidget(pages, 1);

  auto* bottom = new QHBoxLayout;
  endButton = new QPushButton(tr("End"), this);
  endButton->setObjectName(QStringLiteral("endButton"));
  endButton->setAutoDefault(false);
  bottom->addStretch(1);
  bottom->addWidget(endButton);
  layout->addLayout(bottom);

  connect(endButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(soilPage, &SoilProfilePage::soilsChanged, this, &ParameterEditor::soilsChanged);
  connect(referencesPage->importButton, &QPushButton::clicked, this,
          &ParameterEditor::importReferences);
  connect(referencesPage->printButton, &QPushButton::clicked, this,
          [this] { printReferences(this, db_); });
  connect(referencesPage, &ReferencesPage::relationsRequested, this,
          &ParameterEditor::showRelations);
  resize(900, 620);
}

void ParameterEditor::importReferences() {
  RisImportDialog dialog(db_, this);
  dialog.exec();
  referencesPage->reload();
}

void ParameterEditor::showRelations(qlonglong litId) {
  // a window of its own that stays usable while the editor is shown modally
  if (!relations) {
    relations = new ExperimentRelationsWindow(db_, this);
    connect(relations, &RelationsWindow::relationsChanged, this,
            &ParameterEditor::relationsChanged);
  }
  relations->review(litId);
}

ParameterEditor::~ParameterEditor() = default;

int ParameterEditor::openModal(const QStringList& tables) {
  databasePage->setTables(tables);
  pages->setCurrentWidget(cropPage);
  placeWindow(this, parentWidget());
  return exec();
}

void ParameterEditor::showModeless(const QStringList& tables) {
  databasePage->setTables(tables);
  if (!isVisible()) {
    placeWindow(this, parentWidget());
    show();  // reads the pages
  }
  raise();
  activateWindow();
}

void ParameterEditor::showSoilProfile(int soilId) {
  if (!isVisible()) {
    placeWindow(this, parentWidget());
    show();  // reads the pages
  }
  soilPage->goToSoil(soilId);
  pages->setCurrentWidget(soilPage);
  raise();
  activateWindow();
}

void ParameterEditor::reload() {
  for (ParameterTablePage* p : {static_cast<ParameterTablePage*>(organicMatterPage), cropPage,
                                fertilizerPage, actionPage, propertyPage})
    p->reload();
  soilPage->reload();
  referencesPage->reload();
}

void ParameterEditor::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  reload();
}

void ParameterEditor::finishEditing() {
  if (soilPage->modified()) soilPage->post();
  organicMatterPage->clearFilter();
}

void ParameterEditor::done(int result) {
  finishEditing();
  QDialog::done(result);
}

}  // namespace trb::gui
