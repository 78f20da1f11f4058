// The editor of one measurement ("edit data"): sampling date, property, value and whether it is
// the plot's initial value, inserted as a new row or overwriting the one selected in the list.
//
// "initial value" is enabled by pressing the mouse on it with Shift held: setting a new initial
// value renumbers the plot's years, so it is not done by accident.
#pragma once

#include <QDate>
#include <QGroupBox>
#include <QList>

#include "core/parameters/browser_data.h"
#include "core/records/measurement_records.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace trb::gui {

class MeasurementEditor : public QGroupBox {
  Q_OBJECT
 public:
  explicit MeasurementEditor(QWidget* parent = nullptr);

  void setProperties(const QList<trb::parameters::PropertyRow>& properties);
  // Fills the editor from a list row: date, property, value, "initial value", and the mode.
  void showRow(const trb::parameters::MeasurementRow& row);

  trb::records::SaveMode saveMode() const;
  void setSaveMode(trb::records::SaveMode mode);
  // What the save command writes; measId is the row selected in the list (-1: none).
  trb::records::MeasurementInput input(qlonglong measId) const;
  int property() const;
  void clear();

  QRadioButton* insertButton = nullptr;
  QRadioButton* overwriteButton = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* deleteButton = nullptr;
  QDateEdit* dateEdit = nullptr;  // "sampling date"
  QComboBox* propertyBox = nullptr;
  QLineEdit* valueEdit = nullptr;
  QLabel* unitLabel = nullptr;
  QCheckBox* initialBox = nullptr;     // "initial value"
  QPushButton* printButton = nullptr;  // "print"
  QCheckBox* pdfBox = nullptr;         // "save as PDF; no preview"

  // The date and value the editor showed for the selected row.
  QDate oldDate;
  QString oldValue;

 signals:
  void saveRequested();
  void deleteRequested();
  // "print"; pdfWithoutPreview is the state of "save as PDF; no preview".
  void printRequested(bool pdfWithoutPreview);

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void showUnit();

  QList<trb::parameters::PropertyRow> properties_;
};

}  // namespace trb::gui
