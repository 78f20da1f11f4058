#include "gui/browser/measurement_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "core/db/numbers.h"
#include "core/records/typed_entry.h"
#include "gui/browser/record_date_edit.h"

using trb::records::SaveMode;

namespace trb::gui {

MeasurementEditor::MeasurementEditor(QWidget* parent) : QGroupBox(tr("edit data"), parent) {
  setObjectName(QStringLiteral("measurementEditor"));
  insertButton = new QRadioButton(tr("Insert Record"), this);
  insertButton->setObjectName(QStringLiteral("insertButton"));
  overwriteButton = new QRadioButton(tr("Overwrite Record"), this);
  overwriteButton->setObjectName(QStringLiteral("overwriteButton"));
  saveButton = new QPushButton(this);
  saveButton->setObjectName(QStringLiteral("saveButton"));
  deleteButton = new QPushButton(tr("delete record"), this);
  deleteButton->setObjectName(QStringLiteral("deleteButton"));
  dateEdit = makeRecordDateEdit(this, QStringLiteral("dateEdit"));
  propertyBox = new QComboBox(this);
  propertyBox->setObjectName(QStringLiteral("propertyBox"));
  propertyBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  propertyBox->setMinimumContentsLength(16);
  valueEdit = new QLineEdit(this);
  valueEdit->setObjectName(QStringLiteral("valueEdit"));
  unitLabel = new QLabel(this);
  unitLabel->setObjectName(QStringLiteral("unitLabel"));
  initialBox = new QCheckBox(tr("initial value"), this);
  initialBox->setObjectName(QStringLiteral("initialBox"));
  initialBox->setEnabled(false);
  initialBox->installEventFilter(this);
  initialBox->setToolTip(tr("Shift + click enables this box"));
  printButton = new QPushButton(tr("print"), this);
  printButton->setObjectName(QStringLiteral("printButton"));
  pdfBox = new QCheckBox(tr("save as PDF; no preview"), this);
  pdfBox->setObjectName(QStringLiteral("pdfBox"));
  // the window that holds the editor enables them and starts the reports
  printButton->setEnabled(false);
  pdfBox->setEnabled(false);

  auto* modes = new QHBoxLayout;
  modes->addWidget(insertButton);
  modes->addWidget(overwriteButton);
  modes->addStretch(1);
  modes->addWidget(saveButton);
  // two pairs of label and box per line: the editor stays low under the list
  auto* g = new QGridLayout;
  g->addWidget(new QLabel(tr("sampling date"), this), 0, 0);
  g->addWidget(dateEdit, 0, 1);
  g->addWidget(initialBox, 0, 2);
  auto* observation = new QLabel(tr("--------------- observation ----------"), this);
  g->addWidget(observation, 0, 4, 1, 2);
  g->addWidget(new QLabel(tr("value"), this), 1, 0);
  g->addWidget(valueEdit, 1, 1);
  g->addWidget(unitLabel, 1, 2);
  g->addWidget(propertyBox, 1, 4, 1, 2);
  g->setColumnStretch(1, 1);
  g->setColumnStretch(5, 2);
  g->setColumnMinimumWidth(3, 12);
  auto* commands = new QHBoxLayout;
  commands->addWidget(deleteButton);
  commands->addStretch(1);
  commands->addWidget(printButton);
  commands->addWidget(pdfBox);
  auto* l = new QVBoxLayout(this);
  l->addLayout(modes);
  l->addLayout(g);
  l->addLayout(commands);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

  connect(insertButton, &QRadioButton::toggled, this,
          [this] { saveButton->setText(insertButton->isChecked() ? tr("insert") : tr("update")); });
  insertButton->setChecked(true);
  saveButton->setText(tr("insert"));
  connect(saveButton, &QPushButton::clicked, this, &MeasurementEditor::saveRequested);
  connect(deleteButton, &QPushButton::clicked, this, &MeasurementEditor::deleteRequested);
  connect(printButton, &QPushButton::clicked, this,
          [this] { emit printRequested(pdfBox->isChecked()); });
  connect(propertyBox, &QComboBox::currentIndexChanged, this, &MeasurementEditor::showUnit);
}

bool MeasurementEditor::eventFilter(QObject* watched, QEvent* e) {
  // the box is disabled, but still sees the press: Shift enables it, and the click then ticks it
  if (watched == initialBox && e->type() == QEvent::MouseButtonPress &&
      (static_cast<QMouseEvent*>(e)->modifiers() & Qt::ShiftModifier))
    initialBox->setEnabled(true);
  return QGroupBox::eventFilter(watched, e);
}

void MeasurementEditor::setProperties(const QList<trb::parameters::PropertyRow>& properties) {
  properties_ = properties;
  const int current = property();
  const QSignalBlocker block(propertyBox);
  propertyBox->clear();
  for (const auto& p : properties) propertyBox->addItem(p.bezeichnung, p.mIx);
  propertyBox->setCurrentIndex(propertyBox->findData(current));
  showUnit();
}

void MeasurementEditor::showUnit() {
  unitLabel->clear();
  const int index = propertyBox->currentIndex();
  if (index >= 0 && index < properties_.size()) unitLabel->setText(properties_[index].einheit);
}

int MeasurementEditor::property() const {
  return propertyBox->currentIndex() < 0 ? -99 : propertyBox->currentData().toInt();
}

void MeasurementEditor::showRow(const trb::parameters::MeasurementRow& row) {
  setSaveMode(trb::records::saveModeForRow(row));
  valueEdit->setText(trb::fmt_general(row.mWert));
  initialBox->setChecked(trb::records::isCarbonInitialValue(row));
  const QDate date = trb::records::recordDate(row.tag, row.mon, row.datum);
  if (date.isValid()) dateEdit->setDate(date);
  propertyBox->setCurrentIndex(propertyBox->findData(row.mIx));
  oldDate = dateEdit->date();
  oldValue = valueEdit->text();
}

SaveMode MeasurementEditor::saveMode() const {
  return insertButton->isChecked() ? SaveMode::Insert : SaveMode::Overwrite;
}

void MeasurementEditor::setSaveMode(SaveMode mode) {
  (mode == SaveMode::Insert ? insertButton : overwriteButton)->setChecked(true);
}

trb::records::MeasurementInput MeasurementEditor::input(qlonglong measId) const {
  trb::records::MeasurementInput in;
  in.mode = saveMode();
  in.measId = measId;
  in.mIx = property();
  in.date = dateEdit->date();
  in.value = valueEdit->text();
  in.initialValue = initialBox->isChecked();
  return in;
}

void MeasurementEditor::clear() {
  setSaveMode(SaveMode::Insert);
  valueEdit->clear();
  initialBox->setChecked(false);
  oldDate = QDate();
  oldValue.clear();
}

}  // namespace trb::gui
