#include "gui/browser/selection_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/browser/repeat_controls.h"

namespace trb::gui {

SelectionPanel::SelectionPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("selectionPanel"));
  heading = new QLabel(this);
  heading->setObjectName(QStringLiteral("selectionHeading"));
  QFont f = heading->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.15);
  heading->setFont(f);
  list = new QListWidget(this);
  list->setObjectName(QStringLiteral("selectionList"));
  list->setAlternatingRowColors(true);

  auto button = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    return b;
  };
  allButton = button(QStringLiteral("allButton"), tr("all"));
  noneButton = button(QStringLiteral("noneButton"), tr("none"));
  invertButton = button(QStringLiteral("invertButton"), tr("invert"));
  runButton = button(QStringLiteral("runSelectionButton"), tr("model run for selection"));
  repeatControls = new RepeatControls(999, QStringLiteral("selection"), this);

  auto* choose = new QHBoxLayout;
  choose->addWidget(allButton);
  choose->addWidget(noneButton);
  choose->addWidget(invertButton);
  choose->addStretch(1);
  auto* run = new QHBoxLayout;
  run->addWidget(runButton);
  run->addSpacing(12);
  run->addWidget(repeatControls);
  run->addStretch(1);
  auto* l = new QVBoxLayout(this);
  l->addWidget(heading);
  l->addWidget(list, 1);
  l->addLayout(choose);
  l->addLayout(run);

  connect(allButton, &QPushButton::clicked, this, [this] { setAll(true); });
  connect(noneButton, &QPushButton::clicked, this, [this] { setAll(false); });
  connect(invertButton, &QPushButton::clicked, this, &SelectionPanel::invert);
  connect(runButton, &QPushButton::clicked, this, &SelectionPanel::runRequested);
}

void SelectionPanel::showEntries(const QString& text,
                                 const QList<trb::browser::SelectionEntry>& entries) {
  heading->setText(text);
  list->clear();
  for (const trb::browser::SelectionEntry& e : entries) {
    auto* item = new QListWidgetItem(e.label, list);
    item->setData(Qt::UserRole, e.flId);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
}

QList<qlonglong> SelectionPanel::checkedPlots() const {
  QList<qlonglong> out;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked)
      out << list->item(i)->data(Qt::UserRole).toLongLong();
  return out;
}

void SelectionPanel::reset() {
  heading->clear();
  list->clear();
  repeatControls->fromEdit->setText(QStringLiteral("-99"));
}

void SelectionPanel::setAll(bool checked) {
  for (int i = 0; i < list->count(); ++i)
    list->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void SelectionPanel::invert() {
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* item = list->item(i);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

}  // namespace trb::gui
