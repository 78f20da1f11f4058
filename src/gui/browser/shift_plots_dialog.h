// The plot key shift dialog: the keys of an experiment's plots, moved by an offset into a range
// that no plot occupies.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ShiftPlotsDialog : public QDialog {
  Q_OBJECT
 public:
  ShiftPlotsDialog(trb::db::Database& db, QWidget* parent = nullptr);

  // Shows the location's current key range modally; it stays open after a shift. Returns the
  // number of plots shifted in all.
  int shift(const QString& location);

  QLabel* locationLabel = nullptr;
  QLineEdit* minEdit = nullptr;  // "current range"
  QLineEdit* maxEdit = nullptr;
  QLineEdit* offsetEdit = nullptr;  // "shift"
  QLabel* countLabel = nullptr;     // plots in the destination range
  QPushButton* adaptButton = nullptr;
  QPushButton* closeButton = nullptr;

 private:
  void showRange();
  void countDestination();
  void apply();

  trb::db::Database& db_;
  QString location_;
  int shifted_ = 0;
};

}  // namespace trb::gui
