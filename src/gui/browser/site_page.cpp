#include "gui/browser/site_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/db/numbers.h"

namespace trb::gui {

SitePage::SitePage(bool power, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("sitePage"));
  auto* outer = new QVBoxLayout(this);

  siteBox = new QGroupBox(tr("Site Conditions"), this);
  siteBox->setObjectName(QStringLiteral("siteBox"));
  auto* form = new QFormLayout(siteBox);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto field = [this](const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setReadOnly(true);  // the site editing commands come with the sites module
    return e;
  };
  auto chooser = [this](const QString& name) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setEnabled(false);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(16);
    return c;
  };
  batEdit = field(QStringLiteral("batEdit"));
  areaEdit = field(QStringLiteral("areaEdit"));
  plotEdit = field(QStringLiteral("plotEdit"));
  sourceEdit = field(QStringLiteral("sourceEdit"));
  stateEdit = field(QStringLiteral("stateEdit"));
  weatherBox = chooser(QStringLiteral("weatherBox"));
  soilBox = chooser(QStringLiteral("soilBox"));
  soilLabel = new QLabel(tr("soil"), this);
  soilLabel->setObjectName(QStringLiteral("soilLabel"));
  firstYearEdit = field(QStringLiteral("firstYearEdit"));
  firstYearEdit->setText(QStringLiteral("-99"));
  flIdEdit = field(QStringLiteral("flIdEdit"));

  form->addRow(tr("plot"), plotEdit);
  form->addRow(tr("source"), sourceEdit);
  form->addRow(tr("state"), stateEdit);
  form->addRow(tr("area"), areaEdit);
  form->addRow(tr("weather"), weatherBox);
  form->addRow(soilLabel, soilBox);
  form->addRow(tr("biol. active time [d/yr]"), batEdit);
  form->addRow(tr("1st year"), firstYearEdit);
  form->addRow(QStringLiteral("FL_ID="), flIdEdit);
  outer->addWidget(siteBox);

  auto button = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setEnabled(false);  // editing, printing, references and the single-plot run come later
    return b;
  };
  updateButton = button(QStringLiteral("updateButton"), tr("update changes"));
  printButton = button(QStringLiteral("printButton"), tr("print site desc."));
  referencesButton = button(QStringLiteral("referencesButton"), tr("show references"));
  referencesButton->setVisible(power);
  auto* commands = new QHBoxLayout;
  commands->addWidget(updateButton);
  commands->addWidget(printButton);
  commands->addWidget(referencesButton);
  commands->addStretch(1);
  outer->addLayout(commands);

  runButton = button(QStringLiteral("runButton"), tr("model run (plot)"));
  repeatBox = new QSpinBox(this);
  repeatBox->setObjectName(QStringLiteral("repeatBox"));
  repeatBox->setRange(0, 99);
  fromEdit = new QLineEdit(QStringLiteral("-99"), this);
  fromEdit->setObjectName(QStringLiteral("fromEdit"));
  fromEdit->setMaximumWidth(fromEdit->fontMetrics().horizontalAdvance(QStringLiteral("000000")) +
                            16);
  auto* run = new QHBoxLayout;
  run->addWidget(runButton);
  run->addSpacing(12);
  run->addWidget(new QLabel(tr("repeat"), this));
  run->addWidget(repeatBox);
  run->addWidget(new QLabel(QStringLiteral("X"), this));
  run->addWidget(new QLabel(tr("from"), this));
  run->addWidget(fromEdit);
  run->addStretch(1);
  outer->addLayout(run);
  outer->addStretch(1);
}

void SitePage::setStations(const QList<trb::parameters::ChooserEntry>& stations) {
  weatherBox->clear();
  for (const auto& s : stations) weatherBox->addItem(s.text, s.key);
}

void SitePage::setSoils(const QList<trb::parameters::ChooserEntry>& soils) {
  soilBox->clear();
  for (const auto& s : soils) soilBox->addItem(s.text, s.key);
}

void SitePage::selectKey(QComboBox* box, qlonglong key) {
  const int i = box->findData(key);
  box->setCurrentIndex(i >= 0 ? i : 0);  // "-?-" heads the list
}

void SitePage::showSite(const trb::browser::SiteDescription& site, int firstYear) {
  batEdit->setText(!site.mwBatNull && site.mwBat > 0 ? trb::fmt_general(site.mwBat)
                                                     : QStringLiteral("?"));
  areaEdit->setText(trb::fmt_general(site.area));
  plotEdit->setText(site.siteDescription);
  sourceEdit->setText(site.herkunft);
  stateEdit->setText(site.comment);
  selectKey(weatherBox, site.climateId);
  selectKey(soilBox, site.soilId);
  flIdEdit->setText(QString::number(site.flId));
  firstYearEdit->setText(QString::number(firstYear));
  if (firstYear != -99) fromEdit->setText(QString::number(firstYear));
}

}  // namespace trb::gui
