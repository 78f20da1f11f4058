#include "gui/parameters/soil_profile_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/db/table_editor.h"
#include "core/parameters/parameter_tables.h"
#include "gui/widgets/table_grid.h"
#include "gui/widgets/table_navigator.h"

namespace trb::gui {

namespace {

// A value as a field shows it: numbers in the user's locale.
QString fieldText(const QVariant& v) {
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::Double) return trb::fmt_general(v.toDouble());
  return v.toString();
}

}  // namespace

SoilProfilePage::SoilProfilePage(trb::db::Database& db, QWidget* parent)
    : QWidget(parent), db_(db) {
  auto* layout = new QVBoxLayout(this);
  heading = new QLabel(tr("soil  parameters - underlined items are mandatory"), this);
  heading->setObjectName(QStringLiteral("heading"));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  layout->addWidget(heading);

  auto* nameRow = new QHBoxLayout;
  auto* nameLabel = new QLabel(tr("profile"), this);
  profileName = new QLineEdit(this);
  profileName->setObjectName(QStringLiteral("profileName"));
  nameLabel->setBuddy(profileName);
  enterButton = new QPushButton(tr("ENTER"), this);
  enterButton->setObjectName(QStringLiteral("enterButton"));
  enterButton->setAutoDefault(false);
  enterButton->setEnabled(false);
  nameRow->addWidget(nameLabel);
  nameRow->addWidget(profileName, 1);
  nameRow->addWidget(enterButton);
  layout->addLayout(nameRow);

  navigator =
      new TableNavigator({TableNavigator::First, TableNavigator::Prior, TableNavigator::Next,
                          TableNavigator::Last, TableNavigator::Delete, TableNavigator::Edit,
                          TableNavigator::Post, TableNavigator::Cancel, TableNavigator::Refresh},
                         this);
  layout->addWidget(navigator);

  auto* body = new QHBoxLayout;
  list = new TableGrid(this);
  list->setObjectName(QStringLiteral("profileList"));
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->verticalHeader()->hide();
  body->addWidget(list, 2);

  auto* form = new QGridLayout;
  struct Spec {
    const char* label;
    const char* column;
    const char* hint;
    bool mandatory;
  };
  static const Spec specs[] = {
      {QT_TR_NOOP("Bulk Density"), "BD", QT_TR_NOOP("bulk density in g/cm³"), false},
      {QT_TR_NOOP("PoreVolume"), "PV", QT_TR_NOOP("porosity in VOL%"), false},
      {QT_TR_NOOP("Field Capacity"), "FC", QT_TR_NOOP("top soil water capacity on field [VOL%]"),
       false},
      {QT_TR_NOOP("Permanent Wilting Point"), "PWP", QT_TR_NOOP("top soil wilting point [Vol%]"),
       false},
      {QT_TR_NOOP("Fine Particles"), "FAT", QT_TR_NOOP("particles <6 microns [%]"), false},
      {QT_TR_NOOP("Silt"), "silt", QT_TR_NOOP("silt content in %"), true},
      {QT_TR_NOOP("Clay"), "clay", QT_TR_NOOP("clay content in %"), true},
      {QT_TR_NOOP("soil type (ReichsBodenSchätzung)"), "BA_RBS",
       QT_TR_NOOP("german Reichsbodenschätzung"), true},
      {QT_TR_NOOP("Skelett"), "skelett", QT_TR_NOOP("content of stones etc"), false},
      {QT_TR_NOOP("C-Inert-Factor (CIF)"), "CIF", nullptr, false}};
  int r = 0;
  for (const Spec& s : specs) {
    auto* label = new QLabel(tr(s.label), this);
    auto* edit = new QLineEdit(this);
    const QString column = QString::fromLatin1(s.column);
    edit->setObjectName(column + QStringLiteral("Field"));
    label->setBuddy(edit);
    if (s.mandatory) {
      QFont f = label->font();
      f.setUnderline(true);
      label->setFont(f);
    }
    if (s.hint) {
      label->setToolTip(tr(s.hint));
      edit->setToolTip(tr(s.hint));
    }
    form->addWidget(label, r, 0);
    form->addWidget(edit, r, 1);
    fields_.append({column, edit});
    connect(edit, &QLineEdit::textEdited, this, &SoilProfilePage::markModified);
    ++r;
  }
  useCif = new QCheckBox(tr("use this CIF"), this);
  useCif->setObjectName(QStringLiteral("useCif"));
  form->addWidget(useCif, r, 1);
  form->setRowStretch(r + 1, 1);
  connect(useCif, &QCheckBox::clicked, this, &SoilProfilePage::markModified);
  body->addLayout(form, 3);
  layout->addLayout(body, 1);

  connect(profileName, &QLineEdit::textEdited, this, [this] { enterButton->setEnabled(true); });
  // leaving the field presses "ENTER"
  connect(profileName, &QLineEdit::editingFinished, this, [this] {
    if (enterButton->isEnabled()) enter();
  });
  connect(enterButton, &QPushButton::clicked, this, &SoilProfilePage::enter);
  connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
    // another profile: what was typed for the previous one is written first
    if (modified_ && !post()) return;
    showFields();
  });

  navigator->setTarget(list);
  navigator->setHandler(TableNavigator::Post, [this] { post(); });
  navigator->setHandler(TableNavigator::Cancel, [this] { cancel(); });
  navigator->setHandler(TableNavigator::Edit, [this] { fields_.first().edit->setFocus(); });
  navigator->setHandler(TableNavigator::Delete, [this] { deleteCurrent(); });
  navigator->setHandler(TableNavigator::Refresh, [this] {
    modified_ = false;
    reload();
  });
}

QLineEdit* SoilProfilePage::field(const QString& column) const {
  for (const Field& f : fields_)
    if (f.column.compare(column, Qt::CaseInsensitive) == 0) return f.edit;
  return nullptr;
}

void SoilProfilePage::markModified() {
  if (!loading_) modified_ = true;
}

int SoilProfilePage::currentSoil() const {
  const QVariant v = list->tableModel()->value(list->currentRow(), QStringLiteral("soil_id"));
  return v.isNull() || !v.isValid() ? -99 : v.toInt();
}

void SoilProfilePage::reload() {
  const int soil = currentSoil();
  try {
    auto editor = std::make_unique<trb::db::TableEditor>(db_, trb::parameters::kSoilTable);
    editor->setOrder(QStringLiteral("soil_id"));
    list->tableModel()->setEditor(std::move(editor), {{QStringLiteral("soil_ID"), tr("soil_ID")},
                                                      {QStringLiteral("profile"), tr("profile")}});
  } catch (const std::exception& e) {
    list->tableModel()->clear();
    list->showProblem(e);
  }
  modified_ = false;
  if (!goToSoil(soil)) list->first();
  showFields();
}

bool SoilProfilePage::goToSoil(int soilId) {
  auto* m = list->tableModel();
  for (int r = 0; r < m->rowCount(); ++r) {
    if (m->value(r, QStringLiteral("soil_id")).toInt() == soilId &&
        !m->value(r, QStringLiteral("soil_id")).isNull()) {
      list->goToRow(r);
      showFields();
      return true;
    }
  }
  return false;
}

void SoilProfilePage::showFields() {
  const int row = list->currentRow();
  auto* m = list->tableModel();
  loading_ = true;
  fieldsRowid_ = m->rowidAt(row);
  for (const Field& f : fields_) {
    f.edit->setText(fieldText(m->value(row, f.column)));
    f.edit->setEnabled(row >= 0);
  }
  useCif->setChecked(m->value(row, QStringLiteral("cif_org")).toDouble() != 0);
  useCif->setEnabled(row >= 0);
  loading_ = false;
  modified_ = false;
}

bool SoilProfilePage::post() {
  auto* editor = list->tableModel()->editor();
  if (!editor || fieldsRowid_ < 0) return true;
  try {
    QList<QPair<int, QVariant>> values;
    for (const Field& f : fields_) {
      const int c = editor->columnIndex(f.column);
      if (c >= 0) values.append({c, editor->valueFromText(c, f.edit->text())});
    }
    const int cif = editor->columnIndex(QStringLiteral("cif_org"));
    if (cif >= 0) values.append({cif, useCif->isChecked() ? -1 : 0});
    editor->updateRow(fieldsRowid_, values);
    const int soil = editor->readRow(fieldsRowid_)
                         .values.value(editor->columnIndex(QStringLiteral("soil_id")))
                         .toInt();
    trb::parameters::check_soil_values(db_, soil);
    modified_ = false;
    // the fields show what the check made of the values
    const int current = currentSoil();
    list->tableModel()->reload();
    if (!goToSoil(current)) list->first();
    showFields();
  } catch (const std::exception& e) {
    list->showProblem(e);
    return false;
  }
  return true;
}

void SoilProfilePage::cancel() {
  showFields();
}

void SoilProfilePage::deleteCurrent() {
  const int row = list->currentRow();
  if (row < 0) return;
  if (QMessageBox::question(this, window()->windowTitle(), tr("Delete record?"),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) != QMessageBox::Yes)
    return;
  try {
    modified_ = false;
    list->tableModel()->removeRowAt(row);
  } catch (const std::exception& e) {
    list->showProblem(e);
    return;
  }
  list->goToRow(qMin(row, list->tableModel()->rowCount() - 1));
  showFields();
  emit soilsChanged();
}

void SoilProfilePage::enter() {
  const QString name = profileName->text();
  enterButton->setEnabled(false);
  if (modified_ && !post()) return;
  std::optional<trb::parameters::ProfileLookup> found;
  try {
    found = trb::parameters::find_or_create_profile(db_, name, [this] {
      return QMessageBox::question(this, tr("confirm append"), tr("create new profile ?"),
                                   QMessageBox::Yes | QMessageBox::No,
                                   QMessageBox::No) == QMessageBox::Yes;
    });
  } catch (const std::exception& e) {
    list->showProblem(e);
    return;
  }
  if (!found) return;
  reload();
  goToSoil(found->soilId);
  if (found->created) emit soilsChanged();
}

}  // namespace trb::gui
