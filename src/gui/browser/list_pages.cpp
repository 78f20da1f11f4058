#include "gui/browser/list_pages.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/base/error.h"
#include "core/browser/browser_service.h"
#include "core/db/numbers.h"
#include "core/records/management_records.h"
#include "core/records/measurement_records.h"
#include "gui/browser/management_editor.h"
#include "gui/browser/measurement_editor.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

namespace {

constexpr auto kNumber = Qt::AlignRight | Qt::AlignVCenter;

QLabel* makeHeading(QWidget* parent) {
  auto* l = new QLabel(parent);
  l->setObjectName(QStringLiteral("heading"));
  QFont f = l->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.15);
  l->setFont(f);
  return l;
}

bool confirm(QWidget* parent, const QString& caption, const QString& text) {
  return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

// The row of the list to show after it was read again: the record with the key, else the row
// at the index (or the last), else none.
template <class Row, class Key>
int rowToSelect(const QList<Row>& rows, Key key, qlonglong wanted, int index) {
  for (int i = 0; i < rows.size(); ++i)
    if (key(rows[i]) == wanted) return i;
  if (rows.isEmpty() || index < 0) return -1;
  return std::min(index, int(rows.size()) - 1);
}

void selectRow(QTableView* grid, int row) {
  if (row < 0) {
    grid->selectionModel()->clear();
    return;
  }
  grid->setCurrentIndex(grid->model()->index(row, 0));
  grid->selectRow(row);
}

}  // namespace

QTableView* makeGrid(QWidget* parent, const QString& name) {
  auto* g = new QTableView(parent);
  g->setObjectName(name);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  g->setSelectionBehavior(QAbstractItemView::SelectRows);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->setAlternatingRowColors(true);
  g->verticalHeader()->setVisible(false);
  g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
  g->horizontalHeader()->setStretchLastSection(false);
  return g;
}

// --- Management ---------------------------------------------------------------------------------

ManagementPage::ManagementPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("managementPage"));
  using Row = trb::parameters::ManagementRow;
  model = new ManagementModel(
      {
          {tr("DATE"), [](const Row& r) { return r.datum; }, kNumber},
          {tr("ACTION"), [](const Row& r) { return r.aktion; }},
          {tr("SUBJECT"), [](const Row& r) { return r.subjekt; }},
          {tr("INTENSITY"), [](const Row& r) { return trb::fmt_general(r.origwert); }, kNumber},
          {tr("UNIT"), [](const Row& r) { return r.unit; }},
          {QStringLiteral("FLA"), [](const Row& r) { return r.fla; }, kNumber},
      },
      this);
  heading = makeHeading(this);
  grid = makeGrid(this, QStringLiteral("managementGrid"));
  grid->setModel(model);
  grid->setColumnHidden(5, true);
  grid->installEventFilter(this);
  editor = new ManagementEditor(this);

  auto* filters = new QHBoxLayout;
  filters->addWidget(new QLabel(tr("selection:"), this));
  auto* group = new QButtonGroup(this);
  auto addFilter = [&](const QString& name, const QString& caption, Filter f) {
    auto* b = new QRadioButton(caption, this);
    b->setObjectName(name);
    group->addButton(b);
    filters->addWidget(b);
    connect(b, &QRadioButton::clicked, this, [this, f] { setFilter(f); });
    return b;
  };
  filterAll = addFilter(QStringLiteral("filterAll"), tr("all"), Filter::All);
  filterHarvest = addFilter(QStringLiteral("filterHarvest"), tr("harvest"), Filter::Harvest);
  filterAmendment =
      addFilter(QStringLiteral("filterAmendment"), tr("org.amendment"), Filter::Amendment);
  filterNitrogen =
      addFilter(QStringLiteral("filterNitrogen"), tr("N fertilizer"), Filter::Nitrogen);
  filterAll->setChecked(true);
  filters->addStretch(1);

  auto* l = new QVBoxLayout(this);
  l->addWidget(heading);
  l->addLayout(filters);
  l->addWidget(grid, 1);
  l->addWidget(editor);

  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ManagementPage::rowChanged);
  // a click into the amounts goes on in the amount box
  connect(grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() != 3) return;
    editor->amountEdit->setFocus(Qt::MouseFocusReason);
    editor->amountEdit->selectAll();
  });
  connect(editor, &ManagementEditor::saveRequested, this, &ManagementPage::saveRecord);
  connect(editor, &ManagementEditor::deleteRequested, this, &ManagementPage::deleteRecord);
}

void ManagementPage::setHeading(const QString& text) {
  heading->setText(text);
}

void ManagementPage::setRecordMode(const QString& mode) {
  editor->setRecordMode(mode);
}

void ManagementPage::readLookups() {
  if (!db_) return;
  try {
    editor->setLookups(trb::parameters::readActions(*db_), trb::records::readActionTexts(*db_),
                       trb::parameters::readItemsByName(*db_));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
  }
}

void ManagementPage::showPlot(qlonglong flId, const QList<trb::parameters::ManagementRow>& rows) {
  flId_ = flId;
  filter_ = Filter::All;
  filterAll->setChecked(true);
  editor->clear();
  readLookups();
  showRows(rows);
}

void ManagementPage::showRows(const QList<trb::parameters::ManagementRow>& rows) {
  rows_ = rows;
  showFiltered(-1, 0);
}

void ManagementPage::setFilter(Filter filter) {
  filter_ = filter;
  const QList<QRadioButton*> buttons{filterAll, filterHarvest, filterAmendment, filterNitrogen};
  buttons[int(filter)]->setChecked(true);
  showFiltered(selectedRecord(), 0);
}

void ManagementPage::showFiltered(qlonglong key, int index) {
  QList<trb::parameters::ManagementRow> shown;
  for (const auto& r : rows_) {
    const bool take = filter_ == Filter::All ||
                      (filter_ == Filter::Harvest && (r.macode == 2 || r.macode == 9)) ||
                      (filter_ == Filter::Amendment && r.macode == 3) ||
                      (filter_ == Filter::Nitrogen && r.macode == 4);
    if (take) shown.append(r);
  }
  model->setRows(shown);
  grid->resizeColumnsToContents();
  selectRow(grid, rowToSelect(
                      shown, [](const auto& r) { return r.cultivationId; }, key, index));
}

qlonglong ManagementPage::selectedRecord() const {
  const int row = grid->currentIndex().row();
  if (row < 0 || row >= model->rows().size()) return -1;
  return model->rows()[row].cultivationId;
}

void ManagementPage::rowChanged() {
  const int row = grid->currentIndex().row();
  if (row < 0 || row >= model->rows().size()) return;
  editor->showRecord(model->rows()[row]);
}

void ManagementPage::reload(qlonglong key, int index) {
  if (!db_) return;
  try {
    rows_ = trb::parameters::readManagementList(*db_, flId_);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  showFiltered(key, index);
}

void ManagementPage::saveRecord() {
  if (!db_ || flId_ == -99) return;
  const trb::records::SaveMode mode = editor->saveMode();
  const qlonglong key = selectedRecord();
  const int index = grid->currentIndex().row();
  try {
    trb::records::save_management_record(*db_, flId_, editor->input(key));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  // back at the same place; reselecting the record switches to overwriting, the choice stays
  reload(key, index);
  editor->setSaveMode(mode);
  emit managementChanged(flId_);
}

void ManagementPage::deleteRecord() {
  const qlonglong key = selectedRecord();
  if (!db_ || key < 0) return;
  if (!confirm(this, tr("confirm operation"), tr("delete the selected record ?"))) return;
  const int index = grid->currentIndex().row();
  try {
    trb::records::delete_management_record(*db_, key);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  reload(-1, index);
  emit managementChanged(flId_);
}

bool ManagementPage::copyDroppedPlot(qlonglong source, qlonglong target) {
  if (!db_) return false;
  if (!confirm(this, tr("confirm operation"),
               tr("you are about to copy management data into plot ") + QString::number(target) +
                   tr(" - continue ?")))
    return false;
  int copied = 0;
  try {
    copied = trb::records::copy_management(*db_, source, target);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return false;
  }
  QMessageBox::information(this, tr("transfer of management data               "),
                           QString::number(copied) + tr(" records copied "));
  if (target == flId_) reload(selectedRecord(), grid->currentIndex().row());
  if (copied > 0) emit managementChanged(target);
  return copied > 0;
}

bool ManagementPage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == grid && e->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    deleteRecord();
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

// --- Observation --------------------------------------------------------------------------------

ObservationPage::ObservationPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("observationPage"));
  using Row = trb::parameters::MeasurementRow;
  model = new ObservationModel(
      {
          {tr("datum"), [](const Row& r) { return r.datum; }, kNumber},
          {tr("property"), [](const Row& r) { return r.property; }},
          {tr("value"), [](const Row& r) { return trb::fmt_general(r.mWert); }, kNumber},
          {tr("y_nr"), [](const Row& r) { return r.yearNumber; }, kNumber},
      },
      this);
  heading = makeHeading(this);
  grid = makeGrid(this, QStringLiteral("observationGrid"));
  grid->setModel(model);
  grid->installEventFilter(this);
  grid->viewport()->installEventFilter(this);
  // the context menu comes with the first click into the list
  grid->setContextMenuPolicy(Qt::NoContextMenu);
  propertyAction = new QAction(tr("&show this property only"), grid);
  propertyAction->setObjectName(QStringLiteral("propertyAction"));
  grid->addAction(propertyAction);
  editor = new MeasurementEditor(this);

  auto* l = new QVBoxLayout(this);
  l->addWidget(heading);
  l->addWidget(grid, 1);
  l->addWidget(editor);

  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ObservationPage::rowChanged);
  connect(propertyAction, &QAction::triggered, this, &ObservationPage::toggleProperty);
  connect(editor, &MeasurementEditor::saveRequested, this, &ObservationPage::saveMeasurement);
  connect(editor, &MeasurementEditor::deleteRequested, this, &ObservationPage::deleteMeasurement);
}

void ObservationPage::setHeading(const QString& text) {
  heading->setText(text);
}

void ObservationPage::showPlot(qlonglong flId, int firstYear,
                               const QList<trb::parameters::MeasurementRow>& rows) {
  flId_ = flId;
  firstYear_ = firstYear;
  propertyFilter_ = -99;
  propertyAction->setText(tr("&show this property only"));
  editor->clear();
  if (db_) {
    try {
      editor->setProperties(trb::parameters::readProperties(*db_));
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e);
    }
  }
  showRows(rows);
}

void ObservationPage::showRows(const QList<trb::parameters::MeasurementRow>& rows) {
  rows_ = rows;
  showFiltered(-1, 0);
}

void ObservationPage::showFiltered(qlonglong key, int index) {
  QList<trb::parameters::MeasurementRow> shown;
  for (const auto& r : rows_)
    if (propertyFilter_ == -99 || r.mIx == propertyFilter_) shown.append(r);
  model->setRows(shown);
  grid->resizeColumnsToContents();
  selectRow(grid, rowToSelect(
                      shown, [](const auto& r) { return r.measId; }, key, index));
}

qlonglong ObservationPage::selectedMeasurement() const {
  const int row = grid->currentIndex().row();
  if (row < 0 || row >= model->rows().size()) return -1;
  return model->rows()[row].measId;
}

void ObservationPage::rowChanged() {
  const int row = grid->currentIndex().row();
  if (row < 0 || row >= model->rows().size()) return;
  editor->showRow(model->rows()[row]);
}

void ObservationPage::reload(qlonglong key, int index) {
  if (!db_) return;
  try {
    rows_ = trb::parameters::readMeasurementList(*db_, flId_);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  showFiltered(key, index);
}

void ObservationPage::saveMeasurement() {
  if (!db_ || flId_ == -99) return;
  if (editor->propertyBox->currentIndex() < 0) {
    ErrorReporter::report(this, trb::Error(tr("Please choose the property first.")));
    return;
  }
  const trb::records::SaveMode mode = editor->saveMode();
  const qlonglong key = selectedMeasurement();
  const int index = grid->currentIndex().row();
  trb::records::SavedMeasurement saved;
  try {
    saved = trb::records::save_measurement(*db_, flId_, firstYear_, editor->input(key));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  editor->initialBox->setChecked(false);
  if (saved.firstYear != firstYear_) {
    firstYear_ = saved.firstYear;
    emit firstYearChanged(firstYear_);
  }
  reload(key, index);
  editor->setSaveMode(mode);
  emit measurementsChanged(flId_);
}

void ObservationPage::deleteMeasurement() {
  const qlonglong key = selectedMeasurement();
  if (!db_ || key < 0) return;
  if (!confirm(this, tr("confirm operation"), tr("delete the selected measurement ?"))) return;
  const int index = grid->currentIndex().row();
  try {
    trb::records::delete_measurement(*db_, key);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return;
  }
  reload(-1, index);
  // without its initial value the plot has no first year any more
  const int first = trb::browser::firstYearOf(rows_);
  if (first != firstYear_) {
    firstYear_ = first;
    emit firstYearChanged(first);
  }
  emit measurementsChanged(flId_);
}

void ObservationPage::toggleProperty() {
  const int row = grid->currentIndex().row();
  if (propertyFilter_ == -99 && row >= 0 && row < model->rows().size()) {
    propertyFilter_ = model->rows()[row].mIx;
    propertyAction->setText(tr("&show all properties"));
  } else {
    propertyFilter_ = -99;
    propertyAction->setText(tr("&show this property only"));
  }
  showFiltered(selectedMeasurement(), 0);
}

bool ObservationPage::copyDroppedPlot(qlonglong source, qlonglong target) {
  if (!db_) return false;
  if (!confirm(this, tr("confirm operation"),
               tr("you are about to copy measurement data into plot ") + QString::number(target) +
                   tr(" - continue ?")))
    return false;
  int copied = 0;
  try {
    copied = trb::records::copy_measurements(*db_, source, target);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e);
    return false;
  }
  QMessageBox::information(this, tr("transfer of measuremet data               "),
                           QString::number(copied) + tr(" records copied "));
  if (target == flId_) reload(selectedMeasurement(), grid->currentIndex().row());
  if (copied > 0) emit measurementsChanged(target);
  return copied > 0;
}

bool ObservationPage::eventFilter(QObject* watched, QEvent* e) {
  if (watched == grid && e->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
    deleteMeasurement();
    return true;
  }
  if (watched == grid->viewport() && e->type() == QEvent::MouseButtonPress)
    grid->setContextMenuPolicy(Qt::ActionsContextMenu);
  return QWidget::eventFilter(watched, e);
}

}  // namespace trb::gui
