#include "gui/app/settings_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

using trb::settings::Editor;
using trb::settings::Setting;
namespace keys = trb::settings::keys;

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("trbsettingForm"));
  setWindowTitle(QStringLiteral("TRB settings"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* form = new QFormLayout;
  for (const Setting* s : trb::settings::dialogSettings()) {
    QWidget* editor = makeEditor(*s);
    QWidget* row = editor;
    if (s->key == keys::pdf_reader) row = withChooser(s->key, editor);
    if (s->key == keys::pdf_dir) row = withChooser(s->key, editor);
    form->addRow(QString::fromLatin1(s->caption), row);
    if (s->hidden) {  // kept in the store, not offered for editing
      editor->setVisible(false);
      form->labelForField(row)->setVisible(false);
    }
  }
  QWidget* ppath = editors_.value(keys::ppath);
  ppath->installEventFilter(this);
  ppath->setToolTip(tr("double click: the current folder"));

  saveButton = new QPushButton(tr("&save + return"), this);
  saveButton->setObjectName(QStringLiteral("saveButton"));
  saveButton->setDefault(true);
  cancelButton = new QPushButton(tr("&cancel"), this);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(saveButton);
  buttons->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(saveButton, &QPushButton::clicked, this, &SettingsDialog::save);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(pdfReaderButton, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, tr("Where is the PDF-reader ?"));
    if (!f.isEmpty()) setEditorValue(keys::pdf_reader, f);
  });
  connect(pdfDirButton, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, tr("Where are the PDF-documents ?"),
                                                   QString(), tr("PDF-files (*.pdf)"));
    if (!f.isEmpty())
      setEditorValue(keys::pdf_dir,
                     QDir::toNativeSeparators(QFileInfo(f).absolutePath() + QDir::separator()));
  });
}

QWidget* SettingsDialog::makeEditor(const Setting& s) {
  QWidget* editor = nullptr;
  switch (s.editor) {
    case Editor::Choice: {
      auto* box = new QComboBox(this);
      for (const trb::settings::Choice& c : s.choices)
        box->addItem(c.value == c.caption ? c.value : c.value + QStringLiteral("  ") + c.caption,
                     c.value);
      editor = box;
      break;
    }
    case Editor::Flag:
      editor = new QCheckBox(this);
      break;
    case Editor::Number: {
      auto* edit = new QLineEdit(this);
      edit->setMaximumWidth(100);
      edit->setToolTip(tr("%1 to %2").arg(QString::number(s.minimum), QString::number(s.maximum)));
      editor = edit;
      break;
    }
    default: {
      auto* edit = new QLineEdit(this);
      edit->setMinimumWidth(360);
      editor = edit;
      break;
    }
  }
  editor->setObjectName(s.key);
  editors_.insert(s.key, editor);
  return editor;
}

QWidget* SettingsDialog::withChooser(const QString& key, QWidget* editor) {
  auto* row = new QWidget(this);
  auto* h = new QHBoxLayout(row);
  h->setContentsMargins(0, 0, 0, 0);
  h->addWidget(editor, 1);
  auto* pick = new QPushButton(QStringLiteral("?"), row);
  pick->setObjectName(key + QStringLiteral("Button"));
  pick->setFixedWidth(28);
  h->addWidget(pick);
  (key == keys::pdf_reader ? pdfReaderButton : pdfDirButton) = pick;
  return row;
}

QString SettingsDialog::editorValue(const QString& key) const {
  QWidget* w = editors_.value(key);
  if (auto* box = qobject_cast<QComboBox*>(w)) return box->currentData().toString();
  if (auto* check = qobject_cast<QCheckBox*>(w))
    return check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  return QString();
}

void SettingsDialog::setEditorValue(const QString& key, const QString& value) {
  QWidget* w = editors_.value(key);
  if (auto* box = qobject_cast<QComboBox*>(w)) {
    int i = box->findData(value);
    if (i < 0) {
      // a stored value none of the choices: shown as it is, refused when saved
      box->addItem(value, value);
      i = box->count() - 1;
    }
    box->setCurrentIndex(i);
  } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
    check->setChecked(value.trimmed().toInt() != 0);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(value);
  }
}

trb::settings::DialogValues SettingsDialog::fieldValues() const {
  trb::settings::DialogValues v;
  for (auto it = editors_.begin(); it != editors_.end(); ++it)
    v.insert(it.key(), editorValue(it.key()));
  return v;
}

void SettingsDialog::showValues(const trb::settings::DialogValues& v) {
  for (auto it = v.begin(); it != v.end(); ++it) setEditorValue(it.key(), it.value());
}

void SettingsDialog::readStore() {
  auto store = trb::settings::openStore();
  trb::settings::DialogValues v;
  try {
    trb::settings::read_registry(*store, v);
  } catch (...) {
    values = v;
    showValues(v);
    throw;
  }
  values = v;
  showValues(v);
}

void SettingsDialog::writeStore() {
  const trb::settings::DialogValues v = fieldValues();
  // Checked before anything is written: a refused save must not leave half of the values stored.
  trb::settings::checkDialogValues(v);
  auto store = trb::settings::openStore();
  trb::settings::write_registry(*store, v);
}

void SettingsDialog::save() {
  try {
    writeStore();
  } catch (const trb::settings::InvalidSetting& e) {
    // the field takes the focus first, so that it has it again when the message is closed
    QWidget* field = editors_.value(e.key());
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    ErrorReporter::report(this, e, windowTitle());
    return;
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  try {
    readStore();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  accept();
}

void SettingsDialog::showEvent(QShowEvent* e) {
  if (!e->spontaneous()) {
    QWidget* opener = QApplication::activeWindow();
    placeWindow(this, opener != this ? opener : nullptr);
  }
  QDialog::showEvent(e);
  try {
    readStore();
  } catch (const trb::Error& error) {
    ErrorReporter::report(this, error, windowTitle());
  }
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick && watched == editors_.value(keys::ppath)) {
    setEditorValue(keys::ppath, QDir::currentPath());
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

}  // namespace trb::gui
