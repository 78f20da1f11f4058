// The selection panel: a checkable list of plots ("experiment simulation", "database
// simulation"), "all", "none", "invert", the repeat controls and "model run for selection".
#pragma once

#include <QList>
#include <QWidget>

#include "core/browser/browser_service.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace trb::gui {

class RepeatControls;

class SelectionPanel : public QWidget {
  Q_OBJECT
 public:
  explicit SelectionPanel(QWidget* parent = nullptr);

  // Fills the list, every entry unchecked, under a heading; each row carries its plot's key.
  void showEntries(const QString& heading, const QList<trb::browser::SelectionEntry>& entries);
  // The keys of the checked rows, in list order.
  QList<qlonglong> checkedPlots() const;
  // No list and "from" as at the start: nothing of a plot that was loaded or deleted stays.
  void reset();
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
