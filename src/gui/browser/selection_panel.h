// The selection panel: a checkable list of plots ("experiment simulation", "database
// simulation"), "all", "none", "invert", the repeat controls and "model run for selection".
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;

namespace trb::gui {

class RepeatControls;

class SelectionPanel : public QWidget {
  Q_OBJECT
 public:
  explicit SelectionPanel(QWidget* parent = nullptr);

  // Fills the list, every entry unchecked, under a heading.
  void showEntries(const QString& heading, const QStringList& entries);
  QStringList checkedEntries() const;
  void setAll(bool checked);
  void invert();

  QLabel* heading = nullptr;
  QListWidget* list = nullptr;
  QPushButton* allButton = nullptr;
  QPushButton* noneButton = nullptr;
  QPushButton* invertButton = nullptr;
  RepeatControls* repeatControls = nullptr;
  QPushButton* runButton = nullptr;  // "model run for selection"

 signals:
  void runRequested();
};

}  // namespace trb::gui
