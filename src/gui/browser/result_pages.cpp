#include "gui/browser/result_pages.h"

#include <QLabel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <cmath>

#include "core/db/numbers.h"
#include "gui/browser/list_pages.h"

namespace trb::gui {

namespace {

QLabel* makeTitle(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setObjectName(QStringLiteral("title"));
  QFont f = l->font();
  f.setBold(true);
  l->setFont(f);
  return l;
}

QString number(double x) {
  return std::isnan(x) ? QString() : trb::fmt_general(x);
}

}  // namespace

ResultPage::ResultPage(const QString& name, const QString& titleText, const QStringList& columns,
                       QWidget* parent)
    : QWidget(parent) {
  setObjectName(name);
  title = makeTitle(titleText, this);
  model = new QStandardItemModel(0, int(columns.size()), this);
  model->setHorizontalHeaderLabels(columns);
  grid = makeGrid(this, name + QStringLiteral("Grid"));
  grid->setModel(model);
  auto* l = new QVBoxLayout(this);
  l->addWidget(title);
  l->addWidget(grid, 1);
}

ResultPage* makeCarbonPage(QWidget* parent) {
  return new ResultPage(QStringLiteral("carbonPage"), ResultPage::tr("Corg [%]"),
                        {ResultPage::tr("N"), ResultPage::tr("YEAR_"), ResultPage::tr("MEAS_VALUE"),
                         ResultPage::tr("SIM_VALUE")},
                        parent);
}

ResultPage* makeNitrogenPage(QWidget* parent) {
  return new ResultPage(QStringLiteral("nitrogenPage"), ResultPage::tr("Norg [%]"),
                        {ResultPage::tr("N"), ResultPage::tr("YEAR_"), ResultPage::tr("MEAS_VALUE"),
                         ResultPage::tr("SIM_VALUE")},
                        parent);
}

ResultPage* makeMicrobialPage(QWidget* parent) {
  return new ResultPage(QStringLiteral("microbialPage"),
                        ResultPage::tr("dynamics of microbial Biomass") + QStringLiteral(" (") +
                            ResultPage::tr("Cmic [ppm]") + QStringLiteral(")"),
                        {ResultPage::tr("N"), ResultPage::tr("YEAR_"), ResultPage::tr("MEAS_VALUE"),
                         ResultPage::tr("SIM_VALUE")},
                        parent);
}

ResultPage* makeTurnoverPage(QWidget* parent) {
  return new ResultPage(
      QStringLiteral("turnoverPage"), ResultPage::tr("annual C-flux [kg/ha]"),
      {ResultPage::tr("year"), ResultPage::tr("SOM gain [kgC/ha/a]"),
       ResultPage::tr("SOM loss [kgC/ha/a]"), ResultPage::tr("saldo [kgC/ha/a]"),
       ResultPage::tr("CO2 prod. [kgC/ha/a]"), ResultPage::tr("soil C storage [t/ha]")},
      parent);
}

ResultPage* makeNBalancePage(QWidget* parent) {
  return new ResultPage(
      QStringLiteral("nBalancePage"), ResultPage::tr("N-balance"),
      {ResultPage::tr("year"), ResultPage::tr("uptake"), ResultPage::tr("fertilizer"),
       ResultPage::tr("mineralisation"), ResultPage::tr("deposition"),
       ResultPage::tr("div. sources"), ResultPage::tr("saldo"), ResultPage::tr("crop")},
      parent);
}

MiscResultsPage::MiscResultsPage(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("miscResultsPage"));
  using Row = trb::browser::YearlyResult;
  constexpr auto right = Qt::AlignRight | Qt::AlignVCenter;
  model = new YearlyResultsModel(
      {
          {QStringLiteral("year"), [](const Row& r) { return r.year; }, right},
          {QStringLiteral("n_m_om"), [](const Row& r) { return number(r.nMOm); }, right},
          {QStringLiteral("n_ops"), [](const Row& r) { return number(r.nOps); }, right},
          {QStringLiteral("C_ops"), [](const Row& r) { return number(r.cOps); }, right},
          {QStringLiteral("c_som"), [](const Row& r) { return number(r.cSom); }, right},
          {QStringLiteral("n_org"), [](const Row& r) { return number(r.nOrg); }, right},
          {QStringLiteral("n_som"), [](const Row& r) { return number(r.nSom); }, right},
          {QStringLiteral("cnr"), [](const Row& r) { return number(r.cnr); }, right},
          {QStringLiteral("crep"), [](const Row& r) { return number(r.crep); }, right},
          {QStringLiteral("bat"), [](const Row& r) { return number(r.bat); }, right},
      },
      this);
  grid = makeGrid(this, QStringLiteral("miscResultsGrid"));
  grid->setModel(model);
  auto* l = new QVBoxLayout(this);
  l->addWidget(grid, 1);
}

void MiscResultsPage::showRows(const QList<trb::browser::YearlyResult>& rows) {
  model->setRows(rows);
  grid->resizeColumnsToContents();
}

}  // namespace trb::gui
