// The row of navigator buttons over a grid: first, prior, next, last, insert, delete, edit, post,
// cancel, refresh (each window offers its own selection). By default a button runs the command
// of its target grid; a window may put its own handling in place of a command.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolButton;

namespace trb::gui {

class TableGrid;

class TableNavigator : public QWidget {
  Q_OBJECT
 public:
  enum Action { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
  static QList<Action> allActions();

  explicit TableNavigator(const QList<Action>& actions, QWidget* parent = nullptr);

  // The grid the buttons act on (may change, e.g. with the page shown).
  void setTarget(TableGrid* grid);
  TableGrid* target() const { return target_; }
  // Runs handler instead of the grid's command.
  void setHandler(Action action, std::function<void()> handler);
  // The button of an action; null when this navigator does not offer it.
  QToolButton* button(Action action) const { return buttons_.value(action); }
  // Runs an action as its button does.
  void trigger(Action action);

 signals:
  void triggered(trb::gui::TableNavigator::Action action);

 private:
  QHash<int, QToolButton*> buttons_;
  QHash<int, std::function<void()>> handlers_;
  QPointer<TableGrid> target_;
};

}  // namespace trb::gui
