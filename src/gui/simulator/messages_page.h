// The simulator's "messages" tab: the lines of the run, in order. Lines can be selected (mouse,
// Shift, Ctrl+A) and copied (Ctrl+C or the context menu) as text, one line each.
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
  // The selected lines in list order; all lines when none is selected.
  QString selectedText() const;

 public slots:
  void copySelection();

 protected:
  void keyPressEvent(QKeyEvent* e) override;
};

}  // namespace trb::gui
