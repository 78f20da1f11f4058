#include "gui/climate/climate_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/climate/climate_service.h"
#include "core/db/database.h"
#include "core/db/table_editor.h"
#include "gui/widgets/table_grid.h"
#include "gui/widgets/table_navigator.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

const QString kNoStation = QStringLiteral("-?-");

using Shown = TableEditorModel::Shown;

}  // namespace

ClimateWindow::ClimateWindow(trb::db::Database& db, bool power, QWidget* parent)
    : QDialog(parent), db_(db), power_(power) {
  setObjectName(QStringLiteral("climateWindow"));
  setWindowTitle(tr("TRB climate data"));
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  buildControls();
  resize(720, 620);
}

ClimateWindow::~ClimateWindow() = default;

void ClimateWindow::buildControls() {
  auto* layout = new QVBoxLayout(this);

  overviewLabel = new QLabel(tr("station overview"), this);
  overviewLabel->setObjectName(QStringLiteral("overviewLabel"));
  QFont bold = overviewLabel->font();
  bold.setBold(true);
  overviewLabel->setFont(bold);
  layout->addWidget(overviewLabel);

  overview = new TableGrid(this);
  overview->setObjectName(QStringLiteral("stationGrid"));
  // the overview edits only through its navigator's "edit"
  overview->setEditTriggers(QAbstractItemView::NoEditTriggers);
  overview->setSelectionBehavior(QAbstractItemView::SelectRows);
  layout->addWidget(overview, 2);

  overviewNavigator =
      new TableNavigator({TableNavigator::First, TableNavigator::Last, TableNavigator::Edit,
                          TableNavigator::Post, TableNavigator::Cancel, TableNavigator::Refresh},
                         this);
  overviewNavigator->setObjectName(QStringLiteral("stationNavigator"));
  overviewNavigator->setTarget(overview);
  layout->addWidget(overviewNavigator);

  auto* commands = new QHBoxLayout;
  stationName = new QLineEdit(kNoStation, this);
  stationName->setObjectName(QStringLiteral("stationName"));
  // room for a station's name also in a small window
  stationName->setMinimumWidth(stationName->fontMetrics().horizontalAdvance(u'M') * 10);
  createButton = new QPushButton(tr("create new station"), this);
  createButton->setObjectName(QStringLiteral("createButton"));
  deleteButton = new QPushButton(tr("delete current station"), this);
  deleteButton->setObjectName(QStringLiteral("deleteButton"));
  closeButton = new QPushButton(tr("close"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  for (QPushButton* b : {createButton, deleteButton, closeButton}) b->setAutoDefault(false);
  commands->addWidget(stationName, 1);
  commands->addWidget(createButton);
  commands->addWidget(deleteButton);
  commands->addStretch(1);
  commands->addWidget(closeButton);
  layout->addLayout(commands);

  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  auto makeGrid = [this](const QString& name, const QString& title) {
    auto* g = new TableGrid(this);
    g->setObjectName(name);
    pages->addTab(g, title);
    return g;
  };
  weather = makeGrid(QStringLiteral("weatherGrid"), tr("weather"));
  deposition = makeGrid(QStringLiteral("depositionGrid"), tr("annual N-deposition"));
  // Outside power mode the page is not there at all, so nothing reaches its table.
  if (power_) historic = makeGrid(QStringLiteral("historicGrid"), tr("historic N-Deposisition"));
  layout->addWidget(pages, 3);

  pageNavigator = new TableNavigator(TableNavigator::allActions(), this);
  pageNavigator->setObjectName(QStringLiteral("pageNavigator"));
  pageNavigator->setTarget(weather);
  layout->addWidget(pageNavigator);

  connect(pages, &QTabWidget::currentChanged, this, [this](int) {
    pageNavigator->setTarget(qobject_cast<TableGrid*>(pages->currentWidget()));
  });
  connect(overview, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
    stationName->setText(
        overview->tableModel()->value(i.row(), QStringLiteral("station")).toString());
    stationName->setEnabled(false);
    createButton->setEnabled(false);
  });
  connect(overview->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ClimateWindow::followStation);
  connect(createButton, &QPushButton::clicked, this, &ClimateWindow::createStation);
  connect(deleteButton, &QPushButton::clicked, this, &ClimateWindow::deleteStation);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void ClimateWindow::showStations(int onlyId) {
  try {
    auto editor = std::make_unique<trb::db::TableEditor>(db_, trb::climate::kStationTable);
    if (onlyId >= 0) editor->setFilter(trb::climate::kStationKey, onlyId);
    editor->setOrder(trb::climate::kStationKey);
    overview->tableModel()->setEditor(
        std::move(editor),
        {{trb::climate::kStationKey, tr("ID")}, {QStringLiteral("station"), tr("station")}});
  } catch (const std::exception& e) {
    overview->tableModel()->clear();
    overview->showProblem(e);
  }
  overview->first();
  followStation();
}

int ClimateWindow::currentStation() const {
  const int row = overview->currentRow();
  const QVariant v = overview->tableModel()->value(row, trb::climate::kStationKey);
  return row < 0 || v.isNull() ? -1 : v.toInt();
}

void ClimateWindow::followStation() {
  const int id = currentStation();
  struct Page {
    TableGrid* grid;
    QString table;
    QList<Shown> shown;
    QString order;
  };
  const QString key = trb::climate::kStationKey;
  QList<Page> list = {{weather,
                       trb::climate::kWeatherTable,
                       {{key, tr("ID")},
                        {QStringLiteral("day"), tr("day")},
                        {QStringLiteral("month"), tr("month")},
                        {QStringLiteral("year"), tr("year")},
                        {QStringLiteral("temperature"), tr("temperature [°C]")},
                        {QStringLiteral("precipitation"), tr("precipitation [mm]")}},
                       QStringLiteral("year, month, day")},
                      {deposition,
                       trb::climate::kDepositionTable,
                       {{key, tr("ID")},
                        {QStringLiteral("year"), tr("year")},
                        {QStringLiteral("N_dep_y"), tr("N-dep. [kg/ha]")}},
                       QStringLiteral("year")}};
  if (historic)
    list.append({historic,
                 trb::climate::kStationTable,
                 {{key, tr("ID")},
                  {QStringLiteral("station"), tr("station")},
                  {QStringLiteral("year0_nd"), tr("basic year")},
                  {QStringLiteral("ndep_0"), tr("N-dep(basic)")},
                  {QString(), QString()},
                  {QStringLiteral("year1_nd"), tr("final year")},
                  {QStringLiteral("ndep_1"), tr("N-dep(modern)")}},
                 QString()});
  for (const Page& p : list) {
    try {
      auto editor = std::make_unique<trb::db::TableEditor>(db_, p.table);
      // no current station: no rows
      editor->setFilter(key, id >= 0 ? QVariant(id) : QVariant());
      editor->setOrder(p.order);
      p.grid->tableModel()->setEditor(std::move(editor), p.shown);
    } catch (const std::exception& e) {
      p.grid->tableModel()->clear();
      p.grid->showProblem(e);
      return;
    }
  }
}

void ClimateWindow::enableCreation() {
  const bool open = stationName->text() == kNoStation;
  stationName->setEnabled(open);
  createButton->setEnabled(open);
}

void ClimateWindow::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  pages->setCurrentWidget(weather);
  enableCreation();
}

void ClimateWindow::openAll() {
  stationName->setText(kNoStation);
  showStations(-1);
  if (!isVisible()) placeWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
}

QString ClimateWindow::editStation(int climateId, const QString& stationName_) {
  stationName->setText(stationName_);
  showStations(climateId);
  placeWindow(this, parentWidget());
  exec();
  showStations(-1);
  return stationName->text();
}

void ClimateWindow::reload() {
  if (isVisible()) showStations(-1);
}

void ClimateWindow::createStation() {
  const QString name = stationName->text();
  // "-?-" is the head of every chooser, never a name; an empty name names nothing
  if (name == kNoStation || name.trimmed().isEmpty()) return;
  try {
    if (trb::climate::stationNameUsed(db_, name) &&
        QMessageBox::question(this, tr("HINT"), name + tr(" is already used ! continue anyway ?"),
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
      return;
    const int key = trb::climate::create_station(db_, name);
    // the user fills in the new station's rows: only it is shown
    showStations(key);
  } catch (const std::exception& e) {
    overview->showProblem(e);
    return;
  }
  emit stationsChanged();
}

void ClimateWindow::deleteStation() {
  const int id = currentStation();
  if (id < 0) return;
  try {
    QString question = tr("ALL data of the station will be deleted. proceed anyway ?");
    const int plots = trb::climate::plotsUsingStation(db_, id);
    if (plots == 1)
      question += QStringLiteral("\n\n") + tr("1 plot uses this station and will have no weather.");
    else if (plots > 1)
      question += QStringLiteral("\n\n") +
                  tr("%1 plots use this station and will have no weather.").arg(plots);
    if (QMessageBox::question(this, tr("please confirm wipe off"), question,
                              QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::No) != QMessageBox::Yes)
      return;
    trb::climate::delete_station(db_, id);
  } catch (const std::exception& e) {
    overview->showProblem(e);
    return;
  }
  showStations(-1);
  stationName->setText(kNoStation);
  enableCreation();
  emit stationsChanged();
}

}  // namespace trb::gui
