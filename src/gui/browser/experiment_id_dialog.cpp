#include "gui/browser/experiment_id_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/sites/experiments.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

ExperimentIdDialog::ExperimentIdDialog(trb::db::Database& db, QWidget* parent)
    : QDialog(parent), db_(db) {
  setObjectName(QStringLiteral("experimentIdDialog"));
  setWindowTitle(tr("adapt experiment ID"));
  setModal(true);
  auto edit = [this](const QString& name, bool readOnly) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setReadOnly(readOnly);
    return e;
  };
  oldLocationEdit = edit(QStringLiteral("oldLocationEdit"), true);
  newLocationEdit = edit(QStringLiteral("newLocationEdit"), false);
  oldIdEdit = edit(QStringLiteral("oldIdEdit"), true);
  newIdEdit = edit(QStringLiteral("newIdEdit"), false);
  newIdButton = new QPushButton(tr("new ID"), this);
  newIdButton->setObjectName(QStringLiteral("newIdButton"));
  newIdButton->setAutoDefault(false);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("old"), this), 0, 1);
  grid->addWidget(new QLabel(tr("new"), this), 0, 2);
  grid->addWidget(new QLabel(tr("location"), this), 1, 0);
  grid->addWidget(oldLocationEdit, 1, 1);
  grid->addWidget(newLocationEdit, 1, 2);
  grid->addWidget(new QLabel(tr("unique ID"), this), 2, 0);
  grid->addWidget(oldIdEdit, 2, 1);
  grid->addWidget(newIdEdit, 2, 2);
  grid->addWidget(newIdButton, 2, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);

  adaptButton = new QPushButton(tr("adapt ID"), this);
  adaptButton->setObjectName(QStringLiteral("adaptButton"));
  adaptButton->setAutoDefault(false);
  cancelButton = new QPushButton(tr("no changes"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  cancelButton->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(adaptButton);
  buttons->addWidget(cancelButton);
  auto* l = new QVBoxLayout(this);
  l->addLayout(grid);
  l->addLayout(buttons);
  resize(520, sizeHint().height());

  connect(newIdButton, &QPushButton::clicked, this, [this] {
    try {
      newIdEdit->setText(QString::number(trb::sites::next_experiment_code(db_)));
    } catch (const std::exception& e) {
      ErrorReporter::report(this, e, windowTitle());
    }
  });
  connect(adaptButton, &QPushButton::clicked, this, &ExperimentIdDialog::apply);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool ExperimentIdDialog::adapt(int code, const QString& location) {
  code_ = code;
  oldIdEdit->setText(QString::number(code));
  newIdEdit->setText(QString::number(code));
  oldLocationEdit->setText(location);
  newLocationEdit->setText(location);
  return exec() == QDialog::Accepted;
}

void ExperimentIdDialog::apply() {
  bool ok = false;
  const int newCode = newIdEdit->text().trimmed().toInt(&ok);
  try {
    if (!ok) throw trb::Error(tr("The new ID must be a positive whole number."), windowTitle());
    trb::sites::change_experiment_code(db_, code_, newCode, newLocationEdit->text());
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  accept();
}

}  // namespace trb::gui
