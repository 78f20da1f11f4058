#include "gui/simulator/messages_page.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <algorithm>

namespace trb::gui {

MessagesPage::MessagesPage(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("messageList"));
  setFont(QFont(QStringLiteral("monospace")));
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  auto* copy = new QAction(tr("&Copy"), this);
  copy->setObjectName(QStringLiteral("copyAction"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &MessagesPage::copySelection);
  auto* all = new QAction(tr("Select &all"), this);
  all->setObjectName(QStringLiteral("selectAllAction"));
  all->setShortcut(QKeySequence::SelectAll);
  all->setShortcutContext(Qt::WidgetShortcut);
  connect(all, &QAction::triggered, this, &QListWidget::selectAll);
  addAction(copy);
  addAction(all);
}

void MessagesPage::addLine(const QString& line) {
  addItem(line);
  scrollToBottom();
}

QStringList MessagesPage::lines() const {
  QStringList out;
  for (int i = 0; i < count(); ++i) out << item(i)->text();
  return out;
}

QString MessagesPage::selectedText() const {
  QList<int> rows;
  for (const QModelIndex& i : selectionModel()->selectedRows()) rows << i.row();
  if (rows.isEmpty()) return lines().join(u'\n');
  std::sort(rows.begin(), rows.end());
  QStringList out;
  for (int r : rows) out << item(r)->text();
  return out.join(u'\n');
}

void MessagesPage::copySelection() {
  QApplication::clipboard()->setText(selectedText());
}

void MessagesPage::keyPressEvent(QKeyEvent* e) {
  // the list's own copy takes the current line only
  if (e->matches(QKeySequence::Copy)) {
    copySelection();
    e->accept();
    return;
  }
  QListWidget::keyPressEvent(e);
}

}  // namespace trb::gui
