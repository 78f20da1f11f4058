#include "gui/browser/files_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSplitter>
#include <QSqlRecord>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/browser/files_view.h"

namespace trb::gui {

namespace {

QTableView* makeEditGrid(QWidget* parent, const QString& name) {
  auto* g = new QTableView(parent);
  g->setObjectName(name);
  g->setSelectionBehavior(QAbstractItemView::SelectItems);
  g->setSelectionMode(QAbstractItemView::SingleSelection);
  g->setAlternatingRowColors(true);
  g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
  return g;
}

}  // namespace

FilesView::FilesView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("filesView"));
  plotGrid = makeEditGrid(this, QStringLiteral("plotTableGrid"));
  managementGrid = makeEditGrid(this, QStringLiteral("cultivationGrid"));
  observationGrid = makeEditGrid(this, QStringLiteral("measurementsGrid"));
  lowerPages = new QTabWidget(this);
  lowerPages->setObjectName(QStringLiteral("filesPages"));
  lowerPages->addTab(managementGrid, tr("Management"));
  lowerPages->addTab(observationGrid, tr("Observation"));

  conditionEdit = new QLineEdit(QStringLiteral("1=1"), this);
  conditionEdit->setObjectName(QStringLiteral("conditionEdit"));
  applyBox = new QCheckBox(tr("apply filter"), this);
  applyBox->setObjectName(QStringLiteral("applyFilterBox"));
  auto* filter = new QHBoxLayout;
  filter->addWidget(new QLabel(tr("filter condition"), this));
  filter->addWidget(conditionEdit, 1);
  filter->addWidget(applyBox);

  auto* lower = new QWidget(this);
  auto* lowerLayout = new QVBoxLayout(lower);
  lowerLayout->setContentsMargins(0, 0, 0, 0);
  lowerLayout->addLayout(filter);
  lowerLayout->addWidget(lowerPages, 1);
  auto* split = new QSplitter(Qt::Vertical, this);
  split->addWidget(plotGrid);
  split->addWidget(lower);
  split->setStretchFactor(0, 2);
  split->setStretchFactor(1, 3);
  auto* l = new QVBoxLayout(this);
  l->addWidget(split);

  // a changed condition is no longer the one applied
  connect(conditionEdit, &QLineEdit::textEdited, this, [this] { applyBox->setChecked(false); });
  connect(applyBox, &QCheckBox::toggled, this, &FilesView::applyToggled);
}

FilesView::~FilesView() = default;

void FilesView::open(trb::db::Database& db, const QString& location) {
  close();
  plots_ = std::make_unique<trb::browser::FilesTableModel>(db, QStringLiteral("field_description"));
  management_ = std::make_unique<trb::browser::FilesTableModel>(db, QStringLiteral("cultivation"));
  observations_ =
      std::make_unique<trb::browser::FilesTableModel>(db, QStringLiteral("measurements"));
  // reopening the upper grid clears "apply filter"
  {
    const QSignalBlocker quiet(applyBox);
    applyBox->setChecked(false);
  }
  try {
    plots_->restrictToLocation(location);
    helpFilter_ = plots_->filter();
    management_->select();
    observations_->select();
  } catch (const trb::Error& e) {
    showProblem(e.message(), e.caption());
  }
  plotGrid->setModel(plots_.get());
  managementGrid->setModel(management_.get());
  observationGrid->setModel(observations_.get());
  plotGrid->resizeColumnsToContents();
  managementGrid->resizeColumnsToContents();
  observationGrid->resizeColumnsToContents();
  connect(plotGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &FilesView::plotRowChanged);
  setEditable(editable_);
}

void FilesView::close() {
  for (auto* m : {plots_.get(), management_.get(), observations_.get()})
    if (m) m->submitAll();
  plotGrid->setModel(nullptr);
  managementGrid->setModel(nullptr);
  observationGrid->setModel(nullptr);
  plots_.reset();
  management_.reset();
  observations_.reset();
}

void FilesView::setEditable(bool editable) {
  editable_ = editable;
  const auto triggers = editable
                            ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                  QAbstractItemView::AnyKeyPressed
                            : QAbstractItemView::NoEditTriggers;
  for (QTableView* g : {plotGrid, managementGrid, observationGrid}) g->setEditTriggers(triggers);
}

trb::browser::FilesTableModel* FilesView::visibleLowerTable() const {
  return lowerPages->currentWidget() == observationGrid ? observations_.get() : management_.get();
}

void FilesView::plotRowChanged() {
  const QModelIndex cur = plotGrid->currentIndex();
  if (!plots_ || !cur.isValid()) return;
  const int column = plots_->record().indexOf(QStringLiteral("FL_ID"));
  if (column < 0) return;
  const qlonglong flId = plots_->index(cur.row(), column).data().toLongLong();
  try {
    management_->restrictToPlot(flId);
    observations_->restrictToPlot(flId);
  } catch (const trb::Error& e) {
    showProblem(e.message(), e.caption());
  }
  managementGrid->resizeColumnsToContents();
  observationGrid->resizeColumnsToContents();
}

void FilesView::applyToggled(bool on) {
  if (!on) return;
  trb::browser::FilesTableModel* table = visibleLowerTable();
  if (!table) return;
  try {
    table->applyCondition(conditionEdit->text());
  } catch (const trb::Error& e) {
    // nothing ran: the table keeps its filter and the box its unchecked state
    const QSignalBlocker quiet(applyBox);
    applyBox->setChecked(false);
    showProblem(e.message(), e.caption());
  }
}

void FilesView::showProblem(const QString& message, const QString& caption) {
  QMessageBox::warning(this, caption.isEmpty() ? tr("filter condition") : caption, message);
}

}  // namespace trb::gui
