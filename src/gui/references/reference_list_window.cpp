#include "gui/references/reference_list_window.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/external/launcher.h"
#include "core/settings/settings.h"
#include "core/settings/settings_table.h"
#include "gui/references/relations_window.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

using trb::references::ReferenceRow;

ReferenceListWindow::ReferenceListWindow(trb::db::Database& db, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db) {
  setObjectName(QStringLiteral("referenceList"));
  setWindowTitle(tr("reference list"));
  heading = new QLabel(this);
  heading->setObjectName(QStringLiteral("heading"));
  QFont f = heading->font();
  f.setBold(true);
  heading->setFont(f);

  model_ = new RowModel<ReferenceRow>(
      {{QStringLiteral("lit_ID"), [](const ReferenceRow& r) { return QVariant(r.litId); },
        Qt::AlignRight | Qt::AlignVCenter},
       {QStringLiteral("jahr"), [](const ReferenceRow& r) { return QVariant(r.jahr); }},
       {QStringLiteral("autor"), [](const ReferenceRow& r) { return QVariant(r.autor); }}},
      this);
  grid = new QTableView(this);
  grid->setObjectName(QStringLiteral("grid"));
  grid->setModel(model_);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->verticalHeader()->hide();
  connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &ReferenceListWindow::currentChanged);

  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("pages"));
  compact = new QPlainTextEdit(pages);
  compact->setObjectName(QStringLiteral("compact"));
  compact->setReadOnly(true);
  pages->addTab(compact, tr("compact"));
  auto* detail = new QWidget(pages);
  auto* form = new QFormLayout(detail);
  auto field = [detail](const char* name) {
    auto* e = new QLineEdit(detail);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
  };
  titleField = field("titleField");
  sourceField = field("sourceField");
  pagesField = field("pagesField");
  typeField = field("typeField");
  form->addRow(tr("titel"), titleField);
  form->addRow(tr("journal/book"), sourceField);
  form->addRow(tr("pp"), pagesField);
  form->addRow(tr("type"), typeField);
  deleteRelationButton = new QPushButton(tr("delete this relation"), detail);
  deleteRelationButton->setObjectName(QStringLiteral("deleteRelationButton"));
  form->addRow(deleteRelationButton);
  pages->addTab(detail, tr("detail"));

  keywordLabel = new QLabel(tr("keyword selection:"), this);
  keywordChooser = new QComboBox(this);
  keywordChooser->setObjectName(QStringLiteral("keywordChooser"));
  keywordChooser->addItems({tr("all"), tr("soil parm"), tr("climate"), tr("management")});
  editKeywordsButton = new QPushButton(tr("edit keyword relation"), this);
  editKeywordsButton->setObjectName(QStringLiteral("editKeywordsButton"));
  showPdfButton = new QPushButton(tr("show pdf-file"), this);
  showPdfButton->setObjectName(QStringLiteral("showPdfButton"));
  addReferenceButton = new QPushButton(tr("add  new  reference"), this);
  addReferenceButton->setObjectName(QStringLiteral("addReferenceButton"));
  litIdField = new QLineEdit(this);
  litIdField->setObjectName(QStringLiteral("litIdField"));
  litIdField->setPlaceholderText(tr("a lit_id"));
  litIdField->setMaximumWidth(90);
  closeButton = new QPushButton(tr("close"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));

  auto* keywordRow = new QHBoxLayout;
  keywordRow->addWidget(keywordLabel);
  keywordRow->addWidget(keywordChooser);
  keywordRow->addWidget(editKeywordsButton);
  keywordRow->addStretch();
  auto* commands = new QHBoxLayout;
  commands->addWidget(showPdfButton);
  commands->addWidget(addReferenceButton);
  commands->addWidget(litIdField);
  commands->addStretch();
  commands->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading);
  layout->addWidget(grid, 2);
  layout->addLayout(keywordRow);
  layout->addWidget(pages, 1);
  layout->addLayout(commands);
  resize(560, 520);

  connect(keywordChooser, &QComboBox::activated, this, [this] {
    filtered_ = true;
    reload();
  });
  connect(addReferenceButton, &QPushButton::clicked, this, &ReferenceListWindow::addReference);
  connect(deleteRelationButton, &QPushButton::clicked, this, &ReferenceListWindow::deleteRelation);
  connect(showPdfButton, &QPushButton::clicked, this, &ReferenceListWindow::showPdf);
  connect(editKeywordsButton, &QPushButton::clicked, this, &ReferenceListWindow::editKeywords);
  connect(closeButton, &QPushButton::clicked, this, [this] {
    keywordLabel->hide();
    keywordChooser->hide();
    close();
  });
}

void ReferenceListWindow::showExperiment(const QString& location) {
  location_ = location;
  plot_ = -1;
  heading->setText(location);
  for (QWidget* w : {static_cast<QWidget*>(keywordLabel), static_cast<QWidget*>(keywordChooser),
                     static_cast<QWidget*>(editKeywordsButton)})
    w->hide();
  reload();
  show();
  raise();
}

void ReferenceListWindow::showPlot(qlonglong plot, const QString& plotName) {
  location_.clear();
  plot_ = plot;
  heading->setText(plotName);
  keywordChooser->setCurrentIndex(0);
  for (QWidget* w : {static_cast<QWidget*>(keywordLabel), static_cast<QWidget*>(keywordChooser),
                     static_cast<QWidget*>(editKeywordsButton)})
    w->show();
  // opening shows every keyword; choosing an entry filters by it
  filtered_ = false;
  reload();
  show();
  raise();
}

void ReferenceListWindow::reload() {
  try {
    if (plotView()) {
      std::optional<qlonglong> key;
      if (filtered_) key = keywordChooser->currentIndex();
      model_->setRows(trb::references::plot_references(db_, plot_, key));
    } else {
      model_->setRows(trb::references::experiment_references(db_, location_));
    }
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
    model_->setRows({});
  }
  if (model_->rowCount() > 0) grid->setCurrentIndex(model_->index(0, 0));
  currentChanged();
}

const ReferenceRow* ReferenceListWindow::current() const {
  const int row = grid->currentIndex().row();
  return row >= 0 && row < model_->rows().size() ? &model_->rows()[row] : nullptr;
}

void ReferenceListWindow::currentChanged() {
  compact->clear();
  const ReferenceRow* r = current();
  compact->setPlainText(r ? trb::references::compact_lines(*r).join(u'\n') : QString());
  titleField->setText(r ? r->titel : QString());
  sourceField->setText(r ? r->quelle : QString());
  pagesField->setText(r ? r->seite : QString());
  typeField->setText(r ? r->produkt : QString());
  for (QWidget* w :
       {static_cast<QWidget*>(deleteRelationButton), static_cast<QWidget*>(showPdfButton),
        static_cast<QWidget*>(editKeywordsButton)})
    w->setEnabled(r != nullptr);
}

QString ReferenceListWindow::experimentCode() const {
  // the plot view acts on the experiment of the plot shown
  return plotView() ? trb::references::experiment_code_of_plot(db_, plot_)
                    : trb::references::experiment_code_of_location(db_, location_);
}

void ReferenceListWindow::addReference() {
  try {
    const QString code = experimentCode();
    if (!trb::references::add_experiment_reference(db_, code, litIdField->text())) {
      litIdField->setText(tr("not found!"));
      return;
    }
    reload();
    emit relationsChanged(code);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

void ReferenceListWindow::deleteRelation() {
  const ReferenceRow* r = current();
  if (!r) return;
  try {
    const QString code = plotView() ? experimentCode() : r->versuchsCode;
    trb::references::delete_experiment_reference(db_, r->litId, code);
    reload();
    emit relationsChanged(code);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e);
  }
}

void ReferenceListWindow::showPdf() {
  const ReferenceRow* r = current();
  if (!r) return;
  auto read = [](QLatin1String key) {
    auto store = trb::settings::openStore();
    return trb::settings::readText(*store, key);
  };
  if (read(trb::settings::keys::pdf_dir).isEmpty() && askSetting)
    askSetting(trb::settings::keys::pdf_dir);
  // without a viewer of the user's own, the desktop's opener
  QString reader = read(trb::settings::keys::pdf_reader);
  if (reader.isEmpty()) reader = trb::settings::setting(trb::settings::keys::pdf_reader).firstStart;
  const QString file = trb::references::pdf_file(read(trb::settings::keys::pdf_dir), r->litId);
  if (reader.isEmpty()) {
    ErrorReporter::report(this, trb::Error(tr("No PDF reader is set (settings: PDF-reader).")));
    return;
  }
  if (!QFileInfo::exists(file)) {
    ErrorReporter::report(this, trb::Error(tr("The PDF file %1 does not exist.").arg(file)));
    return;
  }
  // the viewer runs on its own; nothing waits for it
  if (!pdfViewer_) pdfViewer_ = new trb::external::Launcher(this);
  pdfViewer_->applicationName = reader;
  pdfViewer_->parameters = file.contains(u' ') ? u'"' + file + u'"' : file;
  pdfViewer_->showType = trb::external::ShowType::ShowNormal;
  pdfViewer_->execute();
  if (pdfViewer_->resultCode() != -1)
    ErrorReporter::report(this, trb::Error(tr("%1 could not be started.").arg(reader)));
}

void ReferenceListWindow::editKeywords() {
  const ReferenceRow* r = current();
  if (!r || !plotView()) return;
  if (!keywords_) keywords_ = new KeywordRelationsWindow(db_, this);
  keywords_->review(plot_, heading->text(), r->litId);
}

}  // namespace trb::gui
