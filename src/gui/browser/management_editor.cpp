#include "gui/browser/management_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "core/db/numbers.h"
#include "core/records/typed_entry.h"
#include "gui/browser/record_date_edit.h"

using trb::records::SaveMode;

namespace trb::gui {

namespace {

// Marks the entry of a record's action that the chooser does not offer.
constexpr int kExtraRole = Qt::UserRole + 1;

}  // namespace

ManagementEditor::ManagementEditor(QWidget* parent) : QGroupBox(tr("Management Event"), parent) {
  setObjectName(QStringLiteral("managementEditor"));
  insertButton = new QRadioButton(tr("Insert Record"), this);
  insertButton->setObjectName(QStringLiteral("insertButton"));
  overwriteButton = new QRadioButton(tr("Overwrite Record"), this);
  overwriteButton->setObjectName(QStringLiteral("overwriteButton"));
  saveButton = new QPushButton(this);
  saveButton->setObjectName(QStringLiteral("saveButton"));
  deleteButton = new QPushButton(tr("delete record"), this);
  deleteButton->setObjectName(QStringLiteral("deleteButton"));
  dateEdit = makeRecordDateEdit(this, QStringLiteral("dateEdit"));
  actionBox = new QComboBox(this);
  actionBox->setObjectName(QStringLiteral("actionBox"));
  objectBox = new QComboBox(this);
  objectBox->setObjectName(QStringLiteral("objectBox"));
  objectBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  objectBox->setMinimumContentsLength(16);
  amountCaption = new QLabel(this);
  amountCaption->setObjectName(QStringLiteral("amountCaption"));
  amountEdit = new QLineEdit(this);
  amountEdit->setObjectName(QStringLiteral("amountEdit"));
  unitLabel = new QLabel(this);
  unitLabel->setObjectName(QStringLiteral("unitLabel"));
  secondLabel = new QLabel(this);
  secondLabel->setObjectName(QStringLiteral("secondLabel"));
  secondEdit = new QLineEdit(this);
  secondEdit->setObjectName(QStringLiteral("secondEdit"));
  nonDefaultLabel = new QLabel(tr("non default"), this);
  nonDefaultLabel->setObjectName(QStringLiteral("nonDefaultLabel"));
  printButton = new QPushButton(tr("print management"), this);
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
  g->addWidget(new QLabel(tr("date"), this), 0, 0);
  g->addWidget(dateEdit, 0, 1);
  g->addWidget(new QLabel(tr("action"), this), 0, 3);
  g->addWidget(actionBox, 0, 4, 1, 2);
  g->addWidget(new QLabel(tr("object"), this), 1, 0);
  g->addWidget(objectBox, 1, 1, 1, 2);
  g->addWidget(amountCaption, 1, 3);
  g->addWidget(amountEdit, 1, 4);
  g->addWidget(unitLabel, 1, 5);
  g->addWidget(secondLabel, 2, 3);
  g->addWidget(secondEdit, 2, 4);
  g->addWidget(nonDefaultLabel, 2, 5);
  g->setColumnStretch(1, 1);
  g->setColumnStretch(4, 1);
  g->setColumnMinimumWidth(2, 12);
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
  connect(saveButton, &QPushButton::clicked, this, &ManagementEditor::saveRequested);
  connect(deleteButton, &QPushButton::clicked, this, &ManagementEditor::deleteRequested);
  connect(printButton, &QPushButton::clicked, this,
          [this] { emit printRequested(pdfBox->isChecked()); });
  connect(actionBox, &QComboBox::activated, this, [this] { chooseAction(actionCode()); });
  connect(objectBox, &QComboBox::activated, this, &ManagementEditor::chooseObject);
  // a new amount makes the area share unknown again; typing a share marks it
  connect(amountEdit, &QLineEdit::textChanged, this, [this] {
    setSecondValue(QStringLiteral("?"));
    wert2changed = false;
    nonDefaultLabel->setVisible(false);
  });
  connect(secondEdit, &QLineEdit::textEdited, this, [this] {
    wert2changed = true;
    setSecondVisible();
  });
  setSecondVisible();
}

void ManagementEditor::setLookups(const QList<trb::parameters::ActionRow>& offered,
                                  const QList<trb::parameters::ActionRow>& allActions,
                                  const QList<trb::parameters::ItemRow>& itemsByName) {
  allActions_ = allActions;
  items_ = itemsByName;
  const int code = actionCode();
  {
    const QSignalBlocker block(actionBox);
    actionBox->clear();
    for (const auto& a : offered) actionBox->addItem(a.action, a.actionId);
  }
  selectAction(code);
  filterObjects(objectFilter_);
}

void ManagementEditor::setRecordMode(const QString& mode) {
  recordMode_ = mode;
  setSecondVisible();
}

void ManagementEditor::setSecondVisible() {
  const bool reg = recordMode_ == u"REG";
  secondLabel->setVisible(reg);
  secondEdit->setVisible(reg);
  nonDefaultLabel->setVisible(reg && wert2changed);
}

void ManagementEditor::setSecondValue(const QString& text) {
  const QSignalBlocker block(secondEdit);
  secondEdit->setText(text);
}

int ManagementEditor::actionCode() const {
  return actionBox->currentIndex() < 0 ? -99 : actionBox->currentData().toInt();
}

void ManagementEditor::selectAction(int macode) {
  const QSignalBlocker block(actionBox);
  for (int i = actionBox->count() - 1; i >= 0; --i)
    if (actionBox->itemData(i, kExtraRole).toBool()) actionBox->removeItem(i);
  int index = actionBox->findData(macode);
  if (index < 0 && macode != -99) {
    // a record's action that is not offered stays its action when it is overwritten
    QString name = QString::number(macode);
    for (const auto& a : allActions_)
      if (a.actionId == macode) name = a.action;
    actionBox->addItem(name, macode);
    index = actionBox->count() - 1;
    actionBox->setItemData(index, true, kExtraRole);
  }
  actionBox->setCurrentIndex(index);
}

void ManagementEditor::showActionTexts(int macode) {
  amountCaption->clear();
  unitLabel->clear();
  for (const auto& a : allActions_) {
    if (a.actionId != macode) continue;
    amountCaption->setText(a.defIntensity);
    unitLabel->setText(a.unitIntensity);
  }
}

void ManagementEditor::applyRule(int macode) {
  const trb::records::ActionRule rule = trb::records::actionRule(macode);
  secondEdit->setEnabled(rule.secondEnabled);
  if (rule.secondLabel) secondLabel->setText(*rule.secondLabel);
}

void ManagementEditor::filterObjects(std::optional<int> objekt) {
  objectFilter_ = objekt;
  const QSignalBlocker block(objectBox);
  objectBox->clear();
  for (const auto& i : items_)
    if (!objekt || i.objekt == *objekt) objectBox->addItem(i.item, i.itemIx);
}

void ManagementEditor::selectObject(qlonglong itemIx) {
  const QSignalBlocker block(objectBox);
  objectBox->setCurrentIndex(objectBox->findData(itemIx));
}

void ManagementEditor::showRecord(const trb::parameters::ManagementRow& row) {
  setSaveMode(SaveMode::Overwrite);
  selectAction(row.macode);
  const QDate date = trb::records::recordDate(row.tag, row.mon, row.datum);
  if (date.isValid()) dateEdit->setDate(date);
  amountEdit->setText(trb::fmt_general(row.origwert));
  setSecondValue(QString::number(row.fla));
  showActionTexts(row.macode);
  applyRule(row.macode);
  filterObjects(trb::records::actionRule(row.macode).rowObjekt);
  selectObject(row.wert1);
  wert2changed = row.rein == u"J";
  setSecondVisible();
}

void ManagementEditor::chooseAction(int macode) {
  const trb::records::ActionRule rule = trb::records::actionRule(macode);
  secondEdit->setEnabled(true);
  applyRule(macode);
  if (rule.amountMinus99) amountEdit->setText(QStringLiteral("-99"));
  showActionTexts(macode);
  // a crop stays chosen when the next crop action is picked
  if (rule.keepsCrop && objectFilter_ == 1) return;
  filterObjects(rule.objekt);
  const int first = objectBox->findData(1LL);
  const QSignalBlocker block(objectBox);
  objectBox->setCurrentIndex(first >= 0 ? first : (objectBox->count() > 0 ? 0 : -1));
}

void ManagementEditor::chooseObject() {
  if (trb::records::actionRule(actionCode()).objectClearsAmount) amountEdit->clear();
}

SaveMode ManagementEditor::saveMode() const {
  return insertButton->isChecked() ? SaveMode::Insert : SaveMode::Overwrite;
}

void ManagementEditor::setSaveMode(SaveMode mode) {
  (mode == SaveMode::Insert ? insertButton : overwriteButton)->setChecked(true);
}

trb::records::ManagementInput ManagementEditor::input(qlonglong cultivationId) const {
  trb::records::ManagementInput in;
  in.mode = saveMode();
  in.cultivationId = cultivationId;
  in.date = dateEdit->date();
  in.macode = actionCode();
  in.itemIx = objectBox->currentIndex() < 0 ? -99 : objectBox->currentData().toLongLong();
  in.amount = amountEdit->text();
  in.areaShare = trb::records::areaShareText(recordMode_, secondEdit->text());
  return in;
}

void ManagementEditor::clear() {
  selectAction(-99);
  filterObjects(std::nullopt);
  {
    const QSignalBlocker block(objectBox);
    objectBox->setCurrentIndex(-1);
  }
  amountEdit->clear();
  amountCaption->clear();
  unitLabel->clear();
  wert2changed = false;
  setSecondVisible();
  setSaveMode(SaveMode::Insert);
}

}  // namespace trb::gui
