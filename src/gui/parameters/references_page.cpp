#include "gui/parameters/references_page.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "gui/widgets/error_reporter.h"

namespace trb::gui {

using trb::parameters::ReferenceRow;

ReferencesPage::ReferencesPage(trb::db::Database& db, QWidget* parent)
    : QWidget(parent),
      db_(db),
      model_(new RowModel<ReferenceRow>(
          {{QStringLiteral("lit_id"), [](const ReferenceRow& r) { return r.litId; },
            Qt::AlignRight | Qt::AlignVCenter},
           {QStringLiteral("autor"), [](const ReferenceRow& r) { return r.autor; }},
           {QStringLiteral("jahr_"), [](const ReferenceRow& r) { return r.jahrShort; }},
           {QStringLiteral("vstitel"), [](const ReferenceRow& r) { return r.listTitle; }}},
          this)) {
  auto* layout = new QVBoxLayout(this);
  auto* commands = new QHBoxLayout;
  importButton = new QPushButton(tr("import from RIS-file"), this);
  importButton->setObjectName(QStringLiteral("importButton"));
  printButton = new QPushButton(tr("print references"), this);
  printButton->setObjectName(QStringLiteral("printButton"));
  // the window that holds the page connects them to the import and the report
  for (QPushButton* b : {importButton, printButton}) {
    b->setAutoDefault(false);
    commands->addWidget(b);
  }
  commands->addStretch(1);
  layout->addLayout(commands);

  list = new QTableView(this);
  list->setObjectName(QStringLiteral("referenceList"));
  list->setModel(model_);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->horizontalHeader()->setStretchLastSection(true);
  list->verticalHeader()->hide();
  layout->addWidget(list, 3);

  panel = new QPlainTextEdit(this);
  panel->setObjectName(QStringLiteral("referencePanel"));
  panel->setReadOnly(true);
  // the names are padded to one width: a fixed font keeps the values in line
  panel->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  layout->addWidget(panel, 2);

  connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ReferencesPage::showCurrent);
  connect(list, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
    if (i.isValid() && i.row() < model_->rows().size())
      emit relationsRequested(model_->rows()[i.row()].litId);
  });
}

void ReferencesPage::reload() {
  const int row = list->currentIndex().isValid() ? list->currentIndex().row() : 0;
  try {
    model_->setRows(trb::parameters::readReferences(db_));
  } catch (const std::exception& e) {
    model_->setRows({});
    ErrorReporter::report(this, e, window()->windowTitle());
  }
  if (model_->rowCount() > 0)
    list->setCurrentIndex(model_->index(qMin(row, model_->rowCount() - 1), 0));
  showCurrent();
}

void ReferencesPage::showCurrent() {
  const QModelIndex i = list->currentIndex();
  panel->setPlainText(i.isValid() && i.row() < model_->rows().size()
                          ? trb::parameters::referenceText(model_->rows()[i.row()])
                          : QString());
}

}  // namespace trb::gui
