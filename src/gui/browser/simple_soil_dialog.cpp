#include "gui/browser/simple_soil_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/sites/simple_soil.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

namespace {

// The colour of a required field left empty.
const QColor kMissing(192, 220, 192);

void colour(QLineEdit* e, bool missing) {
  QPalette p = e->parentWidget()->palette();
  if (missing) p.setColor(QPalette::Base, kMissing);
  e->setPalette(p);
}

// A chooser draws its face from the style; a style sheet colours it.
void colour(QComboBox* c, bool missing) {
  c->setStyleSheet(missing
                       ? QStringLiteral("QComboBox { background-color: %1; }").arg(kMissing.name())
                       : QString());
}

}  // namespace

SimpleSoilDialog::SimpleSoilDialog(trb::db::Database& db, QWidget* parent)
    : QDialog(parent), db_(db) {
  setObjectName(QStringLiteral("simpleSoilDialog"));
  setWindowTitle(tr("simple soil description"));
  setModal(true);

  auto edit = [this](const QString& name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    return e;
  };
  nameEdit = edit(QStringLiteral("nameEdit"));
  typeBox = new QComboBox(this);
  typeBox->setObjectName(QStringLiteral("typeBox"));
  clayEdit = edit(QStringLiteral("clayEdit"));
  siltEdit = edit(QStringLiteral("siltEdit"));
  gravelEdit = edit(QStringLiteral("gravelEdit"));
  nameEdit->setMinimumWidth(nameEdit->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 32);

  auto* form = new QFormLayout;
  form->addRow(tr("name of soil"), nameEdit);
  form->addRow(tr("soil type"), typeBox);
  form->addRow(tr("clay"), clayEdit);
  form->addRow(tr("silt"), siltEdit);
  form->addRow(tr("gravel"), gravelEdit);

  auto button = [this](const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };
  saveButton = button(QStringLiteral("saveButton"), tr("save this soil"));
  escButton = button(QStringLiteral("escButton"), tr("esc"));
  deleteButton = button(QStringLiteral("deleteButton"), tr("delete this soil"));
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(saveButton);
  buttons->addWidget(escButton);
  buttons->addStretch(1);
  buttons->addWidget(deleteButton);

  auto* l = new QVBoxLayout(this);
  l->addLayout(form);
  l->addLayout(buttons);

  connect(saveButton, &QPushButton::clicked, this, &SimpleSoilDialog::save);
  connect(escButton, &QPushButton::clicked, this, &SimpleSoilDialog::escape);
  connect(deleteButton, &QPushButton::clicked, this, &SimpleSoilDialog::deleteSoil);
}

qlonglong SimpleSoilDialog::edit(qlonglong soilId) {
  markMissing({});
  trb::sites::SimpleSoil s;
  try {
    s = trb::sites::read_simple_soil(db_, soilId);
  } catch (const std::exception& e) {
    ErrorReporter::report(parentWidget(), e, windowTitle());
    return soilId;
  }
  soilId_ = s.soilId;
  result_ = s.soilId;
  const bool isNew = s.soilId == -99;
  nameEdit->setText(s.name);
  nameEdit->setReadOnly(!isNew);
  typeBox->clear();
  typeBox->addItems(trb::sites::simple_soil_types());
  // a stored type outside the list stays as it is
  if (typeBox->findText(s.soilType) < 0) typeBox->addItem(s.soilType);
  typeBox->setCurrentIndex(typeBox->findText(s.soilType));
  clayEdit->setText(s.clay);
  siltEdit->setText(s.silt);
  gravelEdit->setText(s.gravel);
  deleteButton->setEnabled(!isNew);
  exec();
  return result_;
}

void SimpleSoilDialog::markMissing(const QStringList& fields) {
  colour(nameEdit, fields.contains(QStringLiteral("name")));
  colour(typeBox, fields.contains(QStringLiteral("soilType")));
  colour(clayEdit, fields.contains(QStringLiteral("clay")));
}

void SimpleSoilDialog::save() {
  trb::sites::SimpleSoil s;
  s.soilId = soilId_;
  s.name = nameEdit->text();
  s.soilType = typeBox->currentText();
  s.clay = clayEdit->text();
  s.silt = siltEdit->text();
  s.gravel = gravelEdit->text();
  const QStringList missing = trb::sites::missing_soil_fields(s);
  markMissing(missing);
  try {
    s = trb::sites::save_simple_soil(db_, s);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  nameEdit->setText(s.name);
  result_ = s.soilId;
  accept();
}

void SimpleSoilDialog::escape() {
  if (soilId_ == -99) nameEdit->setText(QStringLiteral("-?-"));
  result_ = soilId_;
  reject();
}

void SimpleSoilDialog::deleteSoil() {
  nameEdit->setText(QStringLiteral("-?-"));
  try {
    trb::sites::delete_soil(db_, soilId_);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  result_ = -99;
  accept();
}

}  // namespace trb::gui
