#include "gui/browser/delete_experiment_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace trb::gui {

DeleteExperimentDialog::DeleteExperimentDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("deleteExperimentDialog"));
  setWindowTitle(tr("ATTENTION !"));
  setModal(true);
  auto* icon = new QLabel(this);
  const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
  textLabel = new QLabel(this);
  textLabel->setObjectName(QStringLiteral("textLabel"));
  textLabel->setWordWrap(true);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(textLabel, 1);

  deleteButton = new QPushButton(tr("delete"), this);
  deleteButton->setObjectName(QStringLiteral("deleteButton"));
  deleteButton->setAutoDefault(false);
  escButton = new QPushButton(tr("esc"), this);
  escButton->setObjectName(QStringLiteral("escButton"));
  escButton->setDefault(true);  // Enter does not delete
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(deleteButton);
  buttons->addWidget(escButton);
  auto* l = new QVBoxLayout(this);
  l->addLayout(top);
  l->addLayout(buttons);
  setMinimumWidth(380);

  connect(deleteButton, &QPushButton::clicked, this, &QDialog::accept);
  connect(escButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool DeleteExperimentDialog::confirm(const QString& experimentLabel) {
  textLabel->setText(experimentLabel + tr(": The Folder will be deleted!"));
  return exec() == QDialog::Accepted;
}

}  // namespace trb::gui
