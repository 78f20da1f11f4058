// "select temporal phase for statistics": which years the statistics of every plot use.
#pragma once

#include <QDialog>

class QRadioButton;

namespace trb::gui {

class PhaseDialog : public QDialog {
  Q_OBJECT
 public:
  explicit PhaseDialog(QWidget* parent = nullptr);

  // 0 all records, 1 early years, 2 late years.
  int phase() const;
  // Shows the dialog modally, the first choice set; returns the chosen index once it is closed.
  int choose();

  QRadioButton* allButton = nullptr;
  QRadioButton* earlyButton = nullptr;
  QRadioButton* lateButton = nullptr;
};

}  // namespace trb::gui
