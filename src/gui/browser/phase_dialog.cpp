#include "gui/browser/phase_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/widgets/window_placement.h"

namespace trb::gui {

PhaseDialog::PhaseDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("phaseDialog"));
  setWindowTitle(tr("select temporal phase for statistics"));
  auto* box = new QGroupBox(tr("time intervall"), this);
  allButton = new QRadioButton(tr("all records"), box);
  earlyButton = new QRadioButton(tr("early years"), box);
  lateButton = new QRadioButton(tr("late years"), box);
  allButton->setChecked(true);
  auto* choices = new QVBoxLayout(box);
  for (QRadioButton* b : {allButton, earlyButton, lateButton}) choices->addWidget(b);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* go = buttons->addButton(tr("continue"), QDialogButtonBox::AcceptRole);
  go->setObjectName(QStringLiteral("continueButton"));
  go->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* l = new QVBoxLayout(this);
  l->addWidget(box);
  l->addWidget(buttons);
}

int PhaseDialog::phase() const {
  if (earlyButton->isChecked()) return 1;
  if (lateButton->isChecked()) return 2;
  return 0;
}

int PhaseDialog::choose() {
  allButton->setChecked(true);
  placeWindow(this, parentWidget());
  exec();
  return phase();
}

}  // namespace trb::gui
