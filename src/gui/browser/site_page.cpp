#include "gui/browser/site_page.h"

#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "core/db/numbers.h"
#include "gui/browser/repeat_controls.h"

namespace trb::gui {

SitePage::SitePage(bool power, QWidget* parent) : QWidget(parent), power_(power) {
  setObjectName(QStringLiteral("sitePage"));
  auto* outer = new QVBoxLayout(this);

  siteBox = new QGroupBox(tr("Site Conditions"), this);
  siteBox->setObjectName(QStringLiteral("siteBox"));
  auto* form = new QFormLayout(siteBox);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  auto field = [this](const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setReadOnly(true);  // editable while a plot is shown
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
  weatherLabel_ = new QLabel(tr("weather"), this);
  weatherLabel_->setObjectName(QStringLiteral("weatherLabel"));
  for (QObject* o : {static_cast<QObject*>(weatherBox), static_cast<QObject*>(soilBox),
                     static_cast<QObject*>(weatherLabel_), static_cast<QObject*>(soilLabel)})
    o->installEventFilter(this);
  popupTimer_ = new QTimer(this);
  popupTimer_->setSingleShot(true);
  connect(popupTimer_, &QTimer::timeout, this, [this] {
    if (pendingPopup_) pendingPopup_->showPopup();
    pendingPopup_ = nullptr;
  });
  firstYearEdit = field(QStringLiteral("firstYearEdit"));
  firstYearEdit->setText(QStringLiteral("-99"));
  flIdEdit = field(QStringLiteral("flIdEdit"));

  form->addRow(tr("plot"), plotEdit);
  form->addRow(tr("source"), sourceEdit);
  form->addRow(tr("state"), stateEdit);
  form->addRow(tr("area"), areaEdit);
  form->addRow(weatherLabel_, weatherBox);
  form->addRow(soilLabel, soilBox);
  form->addRow(tr("biol. active time [d/yr]"), batEdit);
  form->addRow(tr("1st year"), firstYearEdit);
  form->addRow(QStringLiteral("FL_ID="), flIdEdit);
  outer->addWidget(siteBox);

  auto button = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setEnabled(false);
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
  repeatControls = new RepeatControls(99, QString(), this);
  auto* run = new QHBoxLayout;
  run->addWidget(runButton);
  run->addSpacing(12);
  run->addWidget(repeatControls);
  run->addStretch(1);
  outer->addLayout(run);
  outer->addStretch(1);

  connect(updateButton, &QPushButton::clicked, this, &SitePage::saveRequested);
  // a choice the user makes is saved at once; a choice made by showing a plot is not
  connect(weatherBox, &QComboBox::activated, this, &SitePage::saveRequested);
  connect(soilBox, &QComboBox::activated, this, &SitePage::saveRequested);
  connect(printButton, &QPushButton::clicked, this,
          [this] { emit siteReportRequested(plotKey()); });
  connect(referencesButton, &QPushButton::clicked, this,
          [this] { emit referencesRequested(plotKey()); });
}

qlonglong SitePage::plotKey() const {
  bool ok = false;
  const qlonglong key = flIdEdit->text().toLongLong(&ok);
  return ok ? key : -99;
}

void SitePage::setEditable(bool on) {
  for (QLineEdit* e : {areaEdit, plotEdit, sourceEdit, stateEdit}) e->setReadOnly(!on);
  weatherBox->setEnabled(on);
  soilBox->setEnabled(on);
  updateButton->setEnabled(on);
  printButton->setEnabled(on && connected(QMetaMethod::fromSignal(&SitePage::siteReportRequested)));
  referencesButton->setEnabled(on &&
                               connected(QMetaMethod::fromSignal(&SitePage::referencesRequested)));
}

void SitePage::clearSite() {
  for (QLineEdit* e : {batEdit, areaEdit, plotEdit, sourceEdit, stateEdit, flIdEdit}) e->clear();
  firstYearEdit->setText(QStringLiteral("-99"));
  weatherBox->setCurrentIndex(0);
  soilBox->setCurrentIndex(0);
  setEditable(false);
}

void SitePage::weatherDoubleClicked() {
  if (plotKey() == -99) return;
  if (connected(QMetaMethod::fromSignal(&SitePage::weatherRequested)))
    emit weatherRequested(weatherBox->currentData().toLongLong());
}

void SitePage::soilDoubleClicked() {
  if (plotKey() == -99) return;
  const qlonglong soil = soilBox->currentIndex() < 0 ? -99 : soilBox->currentData().toLongLong();
  if (power_ && connected(QMetaMethod::fromSignal(&SitePage::soilEditorRequested)))
    emit soilEditorRequested(soil);
  else
    emit simpleSoilRequested(soil);
}

bool SitePage::eventFilter(QObject* watched, QEvent* e) {
  const bool isBox = watched == weatherBox || watched == soilBox;
  const bool isSoil = watched == soilBox || watched == soilLabel;
  switch (e->type()) {
    case QEvent::MouseButtonPress:
      if (isBox && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        // the list opens when no second click follows
        pendingPopup_ = static_cast<QComboBox*>(watched);
        pendingPopup_->setFocus(Qt::MouseFocusReason);
        popupTimer_->start(QApplication::doubleClickInterval());
        return true;
      }
      if (watched == soilBox && static_cast<QMouseEvent*>(e)->button() == Qt::RightButton) {
        emit parameterEditorRequested();
        return true;
      }
      break;
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(e)->button() != Qt::LeftButton) break;
      popupTimer_->stop();
      pendingPopup_ = nullptr;
      if (isSoil)
        soilDoubleClicked();
      else
        weatherDoubleClicked();
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, e);
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
  if (firstYear != -99) repeatControls->fromEdit->setText(QString::number(firstYear));
  setEditable(true);
}

}  // namespace trb::gui
