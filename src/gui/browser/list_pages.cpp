#include "gui/browser/list_pages.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "core/db/numbers.h"

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
  auto* l = new QVBoxLayout(this);
  l->addWidget(heading);
  l->addWidget(grid, 1);
}

void ManagementPage::setHeading(const QString& text) {
  heading->setText(text);
}

void ManagementPage::showRows(const QList<trb::parameters::ManagementRow>& rows) {
  model->setRows(rows);
  grid->resizeColumnsToContents();
}

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
  auto* l = new QVBoxLayout(this);
  l->addWidget(heading);
  l->addWidget(grid, 1);
}

void ObservationPage::setHeading(const QString& text) {
  heading->setText(text);
}

void ObservationPage::showRows(const QList<trb::parameters::MeasurementRow>& rows) {
  model->setRows(rows);
  grid->resizeColumnsToContents();
}

}  // namespace trb::gui
