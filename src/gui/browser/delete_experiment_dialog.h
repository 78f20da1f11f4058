// "ATTENTION !": the confirmation before an experiment is deleted with all its plots.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace trb::gui {

class DeleteExperimentDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DeleteExperimentDialog(QWidget* parent = nullptr);

  // Asks about the experiment of this label modally; true on "delete".
  bool confirm(const QString& experimentLabel);

  QLabel* textLabel = nullptr;
  QPushButton* deleteButton = nullptr;
  QPushButton* escButton = nullptr;
};

}  // namespace trb::gui
