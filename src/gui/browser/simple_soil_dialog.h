// "simple soil description": a soil profile by name, soil type, clay, silt and gravel.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class SimpleSoilDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SimpleSoilDialog(trb::db::Database& db, QWidget* parent = nullptr);

  // Shows the soil (-99: a new one) modally. Returns the soil to choose afterwards: the saved
  // one, the soil shown when "esc" leaves an existing soil, -99 after "esc" on a new soil and
  // after "delete this soil".
  qlonglong edit(qlonglong soilId);

  QLineEdit* nameEdit = nullptr;  // "name of soil"
  QComboBox* typeBox = nullptr;   // "soil type"
  QLineEdit* clayEdit = nullptr;
  QLineEdit* siltEdit = nullptr;
  QLineEdit* gravelEdit = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* escButton = nullptr;
  QPushButton* deleteButton = nullptr;

 private:
  void save();
  void escape();
  void deleteSoil();
  void markMissing(const QStringList& fields);

  trb::db::Database& db_;
  qlonglong soilId_ = -99;
  qlonglong result_ = -99;
};

}  // namespace trb::gui
