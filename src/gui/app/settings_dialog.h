// The settings dialog: one editor per value of the settings table that the dialog offers, built
// from the table (a chooser for a value with choices, a number field, a check box for a flag, a
// text field otherwise). Read when the dialog is shown, checked and written back by
// "save + return". Its copies (r_call, r_result, pdf_reader, pdf_dir) are what other windows read.
#pragma once

#include <QDialog>
#include <QMap>

#include "core/settings/settings.h"

class QPushButton;

namespace trb::gui {

class SettingsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsDialog(QWidget* parent = nullptr);

  trb::settings::DialogValues values;  // the copies of the last read

  // Reads the store into the copies and shows them; throws trb::Error when the store holds a value
  // of the wrong type (the values before it are shown).
  void readStore();
  // Checks every field against the settings table and writes them back; throws trb::Error naming
  // the field that does not fit, before anything is written.
  void writeStore();

  // The editor of a stored value: QLineEdit, QComboBox or QCheckBox.
  QWidget* editor(const QString& key) const { return editors_.value(key); }
  // What an editor holds, as the store keeps it ("1"/"0" for a check box).
  QString editorValue(const QString& key) const;
  void setEditorValue(const QString& key, const QString& value);

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
  QWidget* makeEditor(const trb::settings::Setting& s);
  QWidget* withChooser(const QString& key, QWidget* editor);
  trb::settings::DialogValues fieldValues() const;
  void showValues(const trb::settings::DialogValues& v);
  QMap<QString, QWidget*> editors_;
};

}  // namespace trb::gui
