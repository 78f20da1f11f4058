#include "gui/references/relations_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/base/error.h"
#include "core/references/reference_list.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

RelationsWindow::RelationsWindow(trb::db::Database& db, const QString& panelTitle,
                                 const QString& addCaption, const QString& deleteCaption,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db) {
  setWindowTitle(tr(" relations of  this reference"));
  referenceLabel = new QLabel(this);
  referenceLabel->setObjectName(QStringLiteral("referenceLabel"));
  plotLabel = new QLabel(this);
  plotLabel->setObjectName(QStringLiteral("plotLabel"));
  panel = new QPlainTextEdit(this);
  panel->setObjectName(QStringLiteral("panel"));
  panel->setReadOnly(true);
  chooser = new QComboBox(this);
  chooser->setObjectName(QStringLiteral("chooser"));
  addButton = new QPushButton(addCaption, this);
  addButton->setObjectName(QStringLiteral("addButton"));
  deleteButton = new QPushButton(deleteCaption, this);
  deleteButton->setObjectName(QStringLiteral("deleteButton"));
  returnButton = new QPushButton(tr("return"), this);
  returnButton->setObjectName(QStringLiteral("returnButton"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(tr("reference_id:"), this), 0, 0);
  grid->addWidget(referenceLabel, 0, 1);
  grid->addWidget(plotLabel, 0, 2);
  grid->addWidget(new QLabel(panelTitle, this), 1, 0, 1, 3);
  grid->addWidget(panel, 2, 0, 1, 3);
  grid->addWidget(chooser, 3, 0, 1, 3);
  grid->addWidget(addButton, 4, 0);
  grid->addWidget(deleteButton, 4, 1);
  grid->addWidget(returnButton, 4, 2);
  resize(440, 360);

  connect(addButton, &QPushButton::clicked, this, [this] { run(&RelationsWindow::addChosen); });
  connect(deleteButton, &QPushButton::clicked, this,
          [this] { run(&RelationsWindow::deleteChosen); });
  connect(returnButton, &QPushButton::clicked, this, &QWidget::close);
}

void RelationsWindow::run(void (RelationsWindow::*command)()) {
  if (reference_ < 0 || chooser->currentIndex() < 0) return;
  try {
    (this->*command)();
    review();
    emit relationsChanged();
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

ExperimentRelationsWindow::ExperimentRelationsWindow(trb::db::Database& db, QWidget* parent)
    : RelationsWindow(db, tr("related experiments"), tr("add reference"), tr("delete reference"),
                      parent) {
  setObjectName(QStringLiteral("experimentRelations"));
  plotLabel->hide();
}

void ExperimentRelationsWindow::review(qlonglong litId) {
  reference_ = litId;
  referenceLabel->setText(QString::number(litId));
  chooser->clear();
  try {
    for (const auto& e : trb::references::experiment_choices(db_))
      chooser->addItem(e.label(), e.code);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
  review();
  show();
  raise();
}

void ExperimentRelationsWindow::review() {
  panel->clear();
  try {
    panel->setPlainText(trb::references::experiment_relations(db_, reference_).join(u'\n'));
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

void ExperimentRelationsWindow::addChosen() {
  trb::references::add_experiment_reference(db_, chooser->currentData().toString(),
                                            QString::number(reference_));
}

void ExperimentRelationsWindow::deleteChosen() {
  trb::references::delete_experiment_reference(db_, reference_, chooser->currentData().toString());
}

KeywordRelationsWindow::KeywordRelationsWindow(trb::db::Database& db, QWidget* parent)
    : RelationsWindow(db, tr("related keywords"), tr("add this keyword"), tr("delete this keyword"),
                      parent) {
  setObjectName(QStringLiteral("keywordRelations"));
}

void KeywordRelationsWindow::review(qlonglong plot, const QString& plotName, qlonglong litId) {
  plot_ = plot;
  reference_ = litId;
  referenceLabel->setText(QString::number(litId));
  plotLabel->setText(plotName);
  chooser->clear();
  try {
    for (const auto& k : trb::references::keywords(db_)) chooser->addItem(k.name, k.id);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
  review();
  show();
  raise();
}

void KeywordRelationsWindow::review() {
  panel->clear();
  try {
    panel->setPlainText(trb::references::keyword_relations(db_, plot_, reference_).join(u'\n'));
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

void KeywordRelationsWindow::addChosen() {
  trb::references::add_keyword_relation(db_, chooser->currentData().toLongLong(), reference_,
                                        plot_);
}

void KeywordRelationsWindow::deleteChosen() {
  trb::references::delete_keyword_relation(db_, chooser->currentData().toLongLong(), reference_,
                                           plot_);
}

}  // namespace trb::gui
