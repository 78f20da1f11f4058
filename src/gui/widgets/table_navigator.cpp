#include "gui/widgets/table_navigator.h"

#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

#include "gui/widgets/table_grid.h"

namespace trb::gui {

QList<TableNavigator::Action> TableNavigator::allActions() {
  return {First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh};
}

TableNavigator::TableNavigator(const QList<Action>& actions, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("navigator"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  struct Look {
    const char* name;
    const char* text;
    const char* tip;
  };
  // the button texts are signs, the same in every language
  static const Look looks[] = {{"firstButton", "|\u25C0", QT_TR_NOOP("first record")},
                               {"priorButton", "\u25C0", QT_TR_NOOP("prior record")},
                               {"nextButton", "\u25B6", QT_TR_NOOP("next record")},
                               {"lastButton", "\u25B6|", QT_TR_NOOP("last record")},
                               {"insertButton", "+", QT_TR_NOOP("insert record")},
                               {"deleteButton", "\u2212", QT_TR_NOOP("delete record")},
                               {"editButton", "\u270E", QT_TR_NOOP("edit record")},
                               {"postButton", "\u2714", QT_TR_NOOP("post edit")},
                               {"cancelButton", "\u2716", QT_TR_NOOP("cancel edit")},
                               {"refreshButton", "\u21BB", QT_TR_NOOP("refresh data")}};
  for (Action a : actions) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(looks[a].name));
    b->setText(QString::fromUtf8(looks[a].text));
    b->setToolTip(tr(looks[a].tip));
    b->setAutoRaise(false);
    b->setMinimumWidth(30);
    row->addWidget(b);
    buttons_.insert(a, b);
    connect(b, &QToolButton::clicked, this, [this, a] { trigger(a); });
  }
  row->addStretch(1);
}

void TableNavigator::setTarget(TableGrid* grid) {
  target_ = grid;
}

void TableNavigator::setHandler(Action action, std::function<void()> handler) {
  handlers_.insert(action, std::move(handler));
}

void TableNavigator::trigger(Action action) {
  if (const auto h = handlers_.value(action)) {
    h();
  } else if (target_) {
    switch (action) {
      case First:
        target_->first();
        break;
      case Prior:
        target_->prior();
        break;
      case Next:
        target_->next();
        break;
      case Last:
        target_->last();
        break;
      case Insert:
        target_->appendRow();
        break;
      case Delete:
        target_->deleteCurrentRow();
        break;
      case Edit:
        target_->editCurrent();
        break;
      case Post:
        target_->post();
        break;
      case Cancel:
        target_->cancel();
        break;
      case Refresh:
        target_->refresh();
        break;
    }
  }
  emit triggered(action);
}

}  // namespace trb::gui
