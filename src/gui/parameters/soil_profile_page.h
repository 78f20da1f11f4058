// "Soil Profiles": the list of soil profiles, the profile name field with "ENTER" (find a profile
// or append a new one) and one labelled field per soil value of the current profile. The fields
// are written by "post" (also when another profile is chosen or the window closes with changes),
// after which the value check marks each value as supplied or to be derived.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class TableGrid;
class TableNavigator;

class SoilProfilePage : public QWidget {
  Q_OBJECT
 public:
  explicit SoilProfilePage(trb::db::Database& db, QWidget* parent = nullptr);

  // Opens the profiles again, keeping the current one.
  void reload();
  // Makes the profile with this soil_id current; false when there is none.
  bool goToSoil(int soilId);
  // The soil_id of the current profile; -99 without one.
  int currentSoil() const;

  // "ENTER": finds the profile named in the name field, or asks and appends it.
  void enter();
  // Writes the fields of the current profile and runs the value check. False when a value was
  // refused (nothing is written then).
  bool post();
  // Shows the stored values again.
  void cancel();
  // The fields hold changes not written yet.
  bool modified() const { return modified_; }

  // Controls
  QLabel* heading = nullptr;
  QLineEdit* profileName = nullptr;
  QPushButton* enterButton = nullptr;
  TableGrid* list = nullptr;
  TableNavigator* navigator = nullptr;
  QCheckBox* useCif = nullptr;
  // The value field of a column ("BD", "FAT", ...); null for another name.
  QLineEdit* field(const QString& column) const;

 signals:
  // A profile was added or deleted: the soil choosers are out of date.
  void soilsChanged();

 private:
  struct Field {
    QString column;
    QLineEdit* edit;
  };
  void showFields();
  void deleteCurrent();
  void markModified();

  trb::db::Database& db_;
  QList<Field> fields_;
  qlonglong fieldsRowid_ = -1;  // the row the fields show
  bool modified_ = false;
  bool loading_ = false;
};

}  // namespace trb::gui
