#include "gui/browser/new_experiment_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trb::gui {

NewExperimentDialog::NewExperimentDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("newExperimentDialog"));
  setWindowTitle(tr("create new experiment folder"));
  setModal(true);
  codeEdit = new QLineEdit(this);
  codeEdit->setObjectName(QStringLiteral("codeEdit"));
  codeEdit->setReadOnly(true);
  nameEdit = new QLineEdit(this);
  nameEdit->setObjectName(QStringLiteral("nameEdit"));
  nameEdit->setMinimumWidth(nameEdit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 28);
  auto* form = new QFormLayout;
  form->addRow(tr("internal code"), codeEdit);
  form->addRow(tr("short name"), nameEdit);

  okButton = new QPushButton(tr("ok"), this);
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setDefault(true);
  cancelButton = new QPushButton(tr("cancel"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);
  auto* l = new QVBoxLayout(this);
  l->addLayout(form);
  l->addLayout(buttons);

  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool NewExperimentDialog::ask(int code) {
  codeEdit->setText(QString::number(code));
  nameEdit->clear();
  nameEdit->setFocus();
  return exec() == QDialog::Accepted;
}

QString NewExperimentDialog::shortName() const {
  return nameEdit->text().trimmed();
}

}  // namespace trb::gui
