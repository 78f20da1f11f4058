#include "gui/app/settings_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace trb::gui {

namespace {

// Field names (the stored value names) and their labels, in the order of the dialog.
struct FieldDef {
  const char* name;
  const char* label;
};
constexpr FieldDef kFields[] = {{"ppath", "ppath"},           {"methode", "method"},
                                {"database", "database"},     {"soil_scheme", "soil scheme"},
                                {"pf_wp", "pF WP"},           {"pf_fk", "pF FK"},
                                {"ptfmode", "ptf mode"},      {"r_call", "R call"},
                                {"r_result", "R result"},     {"r_script", "R script"},
                                {"recalc_bat", "BAT recalc"}, {"pdf_reader", "PDF-reader"},
                                {"pdf_dir", "pdf dir"}};

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("trbsettingForm"));
  setWindowTitle(QStringLiteral("TRB settings"));
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* form = new QFormLayout;
  for (const FieldDef& d : kFields) {
    const QString name = QString::fromLatin1(d.name);
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setMinimumWidth(360);
    fields_.insert(name, edit);
    QWidget* row = edit;
    if (name == u"pdf_reader" || name == u"pdf_dir") {
      row = new QWidget(this);
      auto* h = new QHBoxLayout(row);
      h->setContentsMargins(0, 0, 0, 0);
      h->addWidget(edit, 1);
      auto* pick = new QPushButton(QStringLiteral("?"), row);
      pick->setObjectName(name + QStringLiteral("Button"));
      pick->setFixedWidth(28);
      h->addWidget(pick);
      (name == u"pdf_reader" ? pdfReaderButton : pdfDirButton) = pick;
    }
    form->addRow(QString::fromLatin1(d.label), row);
    if (name == u"r_script") {  // kept in the store, not offered for editing
      edit->setVisible(false);
      form->labelForField(row)->setVisible(false);
    }
  }
  fields_.value(QStringLiteral("ppath"))->installEventFilter(this);
  fields_.value(QStringLiteral("ppath"))->setToolTip(tr("double click: the current folder"));

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
    if (!f.isEmpty()) fields_.value(QStringLiteral("pdf_reader"))->setText(f);
  });
  connect(pdfDirButton, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, tr("Where are the PDF-documents ?"),
                                                   QString(), tr("PDF-files (*.pdf)"));
    if (!f.isEmpty())
      fields_.value(QStringLiteral("pdf_dir"))
          ->setText(QDir::toNativeSeparators(QFileInfo(f).absolutePath() + QDir::separator()));
  });
}

trb::settings::RegistryValues SettingsDialog::fromFields() const {
  trb::settings::RegistryValues v;
  auto t = [this](const char* n) { return fields_.value(QString::fromLatin1(n))->text(); };
  v.ppath = t("ppath");
  v.methode = t("methode");
  v.database = t("database");
  v.soil_scheme = t("soil_scheme");
  v.pf_wp = t("pf_wp");
  v.pf_fk = t("pf_fk");
  v.ptfmode = t("ptfmode");
  v.r_call = t("r_call");
  v.r_result = t("r_result");
  v.r_script = t("r_script");
  v.recalc_bat = t("recalc_bat");
  v.pdf_reader = t("pdf_reader");
  v.pdf_dir = t("pdf_dir");
  return v;
}

void SettingsDialog::toFields(const trb::settings::RegistryValues& v) {
  auto s = [this](const char* n, const QString& value) {
    fields_.value(QString::fromLatin1(n))->setText(value);
  };
  s("ppath", v.ppath);
  s("methode", v.methode);
  s("database", v.database);
  s("soil_scheme", v.soil_scheme);
  s("pf_wp", v.pf_wp);
  s("pf_fk", v.pf_fk);
  s("ptfmode", v.ptfmode);
  s("r_call", v.r_call);
  s("r_result", v.r_result);
  s("r_script", v.r_script);
  s("recalc_bat", v.recalc_bat);
  s("pdf_reader", v.pdf_reader);
  s("pdf_dir", v.pdf_dir);
}

QString SettingsDialog::read_registry() {
  auto store = trb::settings::openStore();
  trb::settings::RegistryValues v;
  const QString error = trb::settings::read_registry(*store, v);
  values = v;
  toFields(v);
  return error;
}

QString SettingsDialog::write_registry() {
  const trb::settings::RegistryValues v = fromFields();
  bool ok = false;
  v.recalc_bat.trimmed().toInt(&ok);
  // Checked before anything is written: a refused save must not leave half of the values stored.
  if (!ok)
    return tr(
        "\"BAT recalc\" must be a whole number (0: keep the stored BAT, 1: recompute "
        "it from the weather).");
  auto store = trb::settings::openStore();
  return trb::settings::write_registry(*store, v);
}

void SettingsDialog::save() {
  const QString error = write_registry();
  if (!error.isEmpty()) {
    QMessageBox::warning(this, windowTitle(), error);
    QLineEdit* bat = fields_.value(QStringLiteral("recalc_bat"));
    bat->setFocus();
    bat->selectAll();
    return;
  }
  read_registry();
  accept();
}

void SettingsDialog::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  const QString error = read_registry();
  if (!error.isEmpty()) {
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), error, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
  }
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick &&
      watched == fields_.value(QStringLiteral("ppath"))) {
    fields_.value(QStringLiteral("ppath"))->setText(QDir::currentPath());
    return true;
  }
  return QDialog::eventFilter(watched, e);
}

}  // namespace trb::gui
