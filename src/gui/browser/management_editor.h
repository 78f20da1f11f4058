// The editor of one management event ("Management Event"): date, action, object and amount of a
// record, inserted as a new record or overwriting the one selected in the list.
//
// The amount box is captioned with the action's default intensity and its unit. A second value
// box keeps the record's area share; it is read only in record-entry mode "REG" and shown only
// there. The editor shows and collects; the page saves through the records service.
#pragma once

#include <QGroupBox>
#include <QList>
#include <optional>

#include "core/parameters/browser_data.h"
#include "core/records/management_records.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace trb::gui {

class ManagementEditor : public QGroupBox {
  Q_OBJECT
 public:
  explicit ManagementEditor(QWidget* parent = nullptr);

  // The actions offered (codes 2, 3, 4, 7, 9), the captions of every action code and the objects
  // ordered by name.
  void setLookups(const QList<trb::parameters::ActionRow>& offered,
                  const QList<trb::parameters::ActionRow>& allActions,
                  const QList<trb::parameters::ItemRow>& itemsByName);
  // "REG" shows the second value box (it gives the area share of a saved record).
  void setRecordMode(const QString& mode);
  QString recordMode() const { return recordMode_; }

  // Fills the editor from a list row and switches to "Overwrite Record".
  void showRecord(const trb::parameters::ManagementRow& row);
  // The user chose an action / an object in the choosers.
  void chooseAction(int macode);
  void chooseObject();

  trb::records::SaveMode saveMode() const;
  void setSaveMode(trb::records::SaveMode mode);
  // What the save command writes; cultivationId is the record selected in the list (-1: none).
  trb::records::ManagementInput input(qlonglong cultivationId) const;
  // The action shown in the chooser (-99 without one).
  int actionCode() const;
  // The objekt the object chooser offers; empty: every object.
  std::optional<int> objectFilter() const { return objectFilter_; }
  // Empties the editor (another plot is loaded).
  void clear();

  QRadioButton* insertButton = nullptr;
  QRadioButton* overwriteButton = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* deleteButton = nullptr;
  QDateEdit* dateEdit = nullptr;
  QComboBox* actionBox = nullptr;
  QComboBox* objectBox = nullptr;
  QLabel* amountCaption = nullptr;  // DEF_INTENSITY of the action
  QLineEdit* amountEdit = nullptr;
  QLabel* unitLabel = nullptr;  // UNIT_INTENSITY of the action
  QLabel* secondLabel = nullptr;
  QLineEdit* secondEdit = nullptr;  // the area share (FL_ID_alt)
  QLabel* nonDefaultLabel = nullptr;
  QPushButton* printButton = nullptr;  // "print management"
  QCheckBox* pdfBox = nullptr;         // "save as PDF; no preview"

  // Set when the second value box was changed by hand.
  bool wert2changed = false;

 signals:
  void saveRequested();
  void deleteRequested();
  // "print management"; pdfWithoutPreview is the state of "save as PDF; no preview".
  void printRequested(bool pdfWithoutPreview);

 private:
  void applyRule(int macode);
  void showActionTexts(int macode);
  void filterObjects(std::optional<int> objekt);
  void selectObject(qlonglong itemIx);
  void selectAction(int macode);
  void setSecondValue(const QString& text);
  void setSecondVisible();

  QList<trb::parameters::ActionRow> allActions_;
  QList<trb::parameters::ItemRow> items_;
  std::optional<int> objectFilter_;
  QString recordMode_ = QStringLiteral("LOC");
};

}  // namespace trb::gui
