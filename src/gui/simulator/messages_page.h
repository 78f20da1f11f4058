// The simulator's "messages" tab: the lines of the run, in order.
#pragma once

#include <QListWidget>
#include <QStringList>

namespace trb::gui {

class MessagesPage : public QListWidget {
  Q_OBJECT
 public:
  explicit MessagesPage(QWidget* parent = nullptr);

  void addLine(const QString& line);
  QStringList lines() const;
};

}  // namespace trb::gui
