// The settings dialog: one field per stored value, read when the dialog is shown, written back by
// "save + return". Its copies (r_call, r_result, pdf_reader, pdf_dir) are what other windows read.
#pragma once

#include <QDialog>
#include <QMap>

#include "core/settings/settings.h"

class QLineEdit;
class QPushButton;

namespace trb::gui {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsDialog(QWidget* parent = nullptr);

  trb::settings::RegistryValues values;  // the copies of the last read

  // Reads the store into the copies and shows them; returns the error text (empty when fine).
  QString read_registry();
  // Writes the fields back; refuses, writing nothing, when "BAT recalc" is not a whole number.
  QString write_registry();

  QLineEdit* field(const QString& name) const { return fields_.value(name); }
  QPushButton* saveButton = nullptr;
  QPushButton* cancelButton = nullptr;
  QPushButton* pdfReaderButton = nullptr;
  QPushButton* pdfDirButton = nullptr;

 public slots:
  void save();

 protected:
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  trb::settings::RegistryValues fromFields() const;
  void toFields(const trb::settings::RegistryValues& v);
  QMap<QString, QLineEdit*> fields_;
};

}  // namespace trb::gui
