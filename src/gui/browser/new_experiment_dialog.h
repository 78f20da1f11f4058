// "create new experiment folder": the internal code of the new experiment and its short name.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace trb::gui {

class NewExperimentDialog : public QDialog {
  Q_OBJECT
 public:
  explicit NewExperimentDialog(QWidget* parent = nullptr);

  // Shows the code and an empty short name modally; true on "ok".
  bool ask(int code);
  QString shortName() const;

  QLineEdit* codeEdit = nullptr;  // "internal code", read-only
  QLineEdit* nameEdit = nullptr;  // "short name"
  QPushButton* okButton = nullptr;
  QPushButton* cancelButton = nullptr;
};

}  // namespace trb::gui
