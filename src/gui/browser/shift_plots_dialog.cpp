#include "gui/browser/shift_plots_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/sites/experiments.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

ShiftPlotsDialog::ShiftPlotsDialog(trb::db::Database& db, QWidget* parent)
    : QDialog(parent), db_(db) {
  setObjectName(QStringLiteral("shiftPlotsDialog"));
  setWindowTitle(tr("shift plots  FL_ID"));
  setModal(true);
  locationLabel = new QLabel(this);
  locationLabel->setObjectName(QStringLiteral("locationLabel"));
  QFont bold = locationLabel->font();
  bold.setBold(true);
  locationLabel->setFont(bold);
  auto edit = [this](const QString& name, bool readOnly) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
    return e;
  };
  minEdit = edit(QStringLiteral("minEdit"), true);
  maxEdit = edit(QStringLiteral("maxEdit"), true);
  offsetEdit = edit(QStringLiteral("offsetEdit"), false);
  countLabel = new QLabel(this);
  countLabel->setObjectName(QStringLiteral("countLabel"));
  countLabel->setWordWrap(true);

  auto* range = new QHBoxLayout;
  range->addWidget(minEdit);
  range->addWidget(new QLabel(QStringLiteral("..."), this));
  range->addWidget(maxEdit);
  range->addStretch(1);
  auto* form = new QFormLayout;
  form->addRow(locationLabel);
  form->addRow(tr("current range"), range);
  form->addRow(tr("shift"), offsetEdit);
  form->addRow(countLabel);

  adaptButton = new QPushButton(tr("adapt ID"), this);
  adaptButton->setObjectName(QStringLiteral("adaptButton"));
  adaptButton->setAutoDefault(false);
  closeButton = new QPushButton(tr("close"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(adaptButton);
  buttons->addWidget(closeButton);
  auto* l = new QVBoxLayout(this);
  l->addLayout(form);
  l->addLayout(buttons);
  resize(420, sizeHint().height());

  connect(offsetEdit, &QLineEdit::textChanged, this, &ShiftPlotsDialog::countDestination);
  connect(adaptButton, &QPushButton::clicked, this, &ShiftPlotsDialog::apply);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

int ShiftPlotsDialog::shift(const QString& location) {
  location_ = location;
  shifted_ = 0;
  locationLabel->setText(location);
  offsetEdit->blockSignals(true);
  offsetEdit->setText(QStringLiteral("100"));
  offsetEdit->blockSignals(false);
  showRange();
  exec();
  return shifted_;
}

void ShiftPlotsDialog::showRange() {
  try {
    const trb::sites::KeyRange r = trb::sites::plot_key_range(db_, location_);
    minEdit->setText(r.found ? QString::number(r.min) : QString());
    maxEdit->setText(r.found ? QString::number(r.max) : QString());
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  countDestination();
}

void ShiftPlotsDialog::countDestination() {
  // "adapt ID" is offered only for a destination range without plots
  adaptButton->setEnabled(false);
  bool okOffset = false, okMin = false, okMax = false;
  const qlonglong d = offsetEdit->text().trimmed().toLongLong(&okOffset);
  const qlonglong min = minEdit->text().toLongLong(&okMin);
  const qlonglong max = maxEdit->text().toLongLong(&okMax);
  if (!okOffset || !okMin || !okMax) {
    countLabel->clear();
    return;
  }
  try {
    const int n = trb::sites::plots_in_range(db_, min + d, max + d);
    countLabel->setText(trb::sites::destination_range_message(n));
    adaptButton->setEnabled(n == 0 && min + d >= 0);
  } catch (const std::exception& e) {
    countLabel->clear();
    ErrorReporter::report(this, e, windowTitle());
  }
}

void ShiftPlotsDialog::apply() {
  bool ok = false;
  const qlonglong d = offsetEdit->text().trimmed().toLongLong(&ok);
  if (!ok) return;
  try {
    shifted_ += trb::sites::shift_plot_keys(db_, location_, d);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  showRange();
}

}  // namespace trb::gui
