// "adapt experiment ID": a new code (unique ID) and location for an experiment.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ExperimentIdDialog : public QDialog {
  Q_OBJECT
 public:
  ExperimentIdDialog(trb::db::Database& db, QWidget* parent = nullptr);

  // Shows the experiment's code and location, old and new, modally. "adapt ID" changes them and
  // closes (a refusal is shown and the dialog stays); true when they were changed.
  bool adapt(int code, const QString& location);

  QLineEdit* oldLocationEdit = nullptr;
  QLineEdit* newLocationEdit = nullptr;
  QLineEdit* oldIdEdit = nullptr;
  QLineEdit* newIdEdit = nullptr;
  QPushButton* newIdButton = nullptr;  // "new ID": the next free code
  QPushButton* adaptButton = nullptr;
  QPushButton* cancelButton = nullptr;  // "no changes"

 private:
  void apply();

  trb::db::Database& db_;
  int code_ = 0;
};

}  // namespace trb::gui
