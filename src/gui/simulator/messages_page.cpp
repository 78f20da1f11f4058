#include "gui/simulator/messages_page.h"

namespace trb::gui {

MessagesPage::MessagesPage(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("messageList"));
  setFont(QFont(QStringLiteral("monospace")));
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

}  // namespace trb::gui
