#include "gui/browser/result_pages.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "core/base/error.h"
#include "core/db/numbers.h"
#include "core/transfer/spreadsheet_export.h"
#include "gui/browser/list_pages.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/result_chart.h"
#include "gui/widgets/sheet_export.h"

namespace trb::gui {

using trb::evaluation::ResultKind;
using trb::evaluation::ResultPageData;

namespace {

QString objectNameOf(ResultKind kind) {
  switch (kind) {
    case ResultKind::Carbon:
      return QStringLiteral("carbonPage");
    case ResultKind::Nitrogen:
      return QStringLiteral("nitrogenPage");
    case ResultKind::MicrobialBiomass:
      return QStringLiteral("microbialPage");
    case ResultKind::Turnover:
      return QStringLiteral("turnoverPage");
    case ResultKind::NBalance:
      return QStringLiteral("nBalancePage");
    case ResultKind::MiscResults:
      return QStringLiteral("miscResultsPage");
  }
  return {};
}

bool isComparison(ResultKind kind) {
  return kind == ResultKind::Carbon || kind == ResultKind::Nitrogen ||
         kind == ResultKind::MicrobialBiomass;
}

// A grid cell as shown: numbers in the general format of the user's locale.
QString display(const QVariant& v) {
  if (v.isNull() || !v.isValid()) return QString();
  switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
      return trb::fmt_general(v.toDouble());
    default:
      return v.toString();
  }
}

}  // namespace

ResultPage::ResultPage(trb::db::Database& db, ResultKind kind, bool showStatistics, QWidget* parent)
    : QWidget(parent), db_(db), kind_(kind) {
  setObjectName(objectNameOf(kind));
  title = new QLabel(this);
  title->setObjectName(QStringLiteral("title"));
  QFont f = title->font();
  f.setBold(true);
  title->setFont(f);

  auto* top = new QHBoxLayout;
  top->addWidget(title);
  const QStringList choices = trb::evaluation::result_choices(kind);
  if (!choices.isEmpty()) {
    chooser = new QComboBox(this);
    chooser->setObjectName(QStringLiteral("chooser"));
    chooser->addItems(choices);
    top->addSpacing(12);
    top->addWidget(new QLabel(tr("selection"), this));
    top->addWidget(chooser);
    connect(chooser, &QComboBox::currentIndexChanged, this, &ResultPage::applyChoice);
  }
  top->addStretch(1);
  xlsButton = new QPushButton(QStringLiteral("==> xls"), this);
  xlsButton->setObjectName(QStringLiteral("xlsButton"));
  top->addWidget(xlsButton);
  connect(xlsButton, &QPushButton::clicked, this, &ResultPage::exportSheet);
  if (kind == ResultKind::Carbon || kind == ResultKind::Nitrogen ||
      kind == ResultKind::MicrobialBiomass) {
    reportButton = new QPushButton(tr("create report"), this);
    reportButton->setObjectName(QStringLiteral("reportButton"));
    reportButton->setEnabled(false);  // enabled by the window that prints the report
    top->addWidget(reportButton);
    if (kind != ResultKind::MicrobialBiomass) {
      pdfButton = new QPushButton(tr("save as PDF; skip preview"), this);
      pdfButton->setObjectName(QStringLiteral("pdfButton"));
      pdfButton->setEnabled(false);
      top->addWidget(pdfButton);
    }
  }

  model = new QStandardItemModel(this);
  grid = makeGrid(this, objectName() + QStringLiteral("Grid"));
  grid->setModel(model);
  chart = new ResultChart(this);
  statistics = new QListWidget(this);
  statistics->setObjectName(QStringLiteral("statistics"));
  statistics->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  statistics->setSelectionMode(QAbstractItemView::NoSelection);
  // the comparison pages show the statistics; the others the mean, minimum and maximum
  statistics->setVisible(showStatistics && (isComparison(kind) || kind == ResultKind::MiscResults));

  // the user shares the room between grid, chart and list
  auto* right = new QSplitter(Qt::Vertical, this);
  right->setObjectName(QStringLiteral("chartSplitter"));
  right->addWidget(chart);
  right->addWidget(statistics);
  // the comparison's list has some twenty lines, the yearly outputs' three
  right->setStretchFactor(0, kind == ResultKind::MiscResults ? 6 : 3);
  right->setStretchFactor(1, kind == ResultKind::MiscResults ? 1 : 2);
  right->setChildrenCollapsible(false);
  auto* body = new QSplitter(Qt::Horizontal, this);
  body->setObjectName(QStringLiteral("gridSplitter"));
  body->addWidget(grid);
  body->addWidget(right);
  body->setStretchFactor(0, 1);
  body->setStretchFactor(1, 2);
  body->setChildrenCollapsible(false);
  auto* l = new QVBoxLayout(this);
  l->addLayout(top);
  l->addWidget(body, 1);
  clear();
}

QString ResultPage::fileTag() const {
  switch (kind_) {
    case ResultKind::Carbon:
      return QStringLiteral("C-dynamics");
    case ResultKind::Nitrogen:
      return QStringLiteral("N-dynamics");
    case ResultKind::MicrobialBiomass:
      return QStringLiteral("micr.BM");
    case ResultKind::Turnover:
      return QStringLiteral("OM-turnover");
    case ResultKind::NBalance:
      return QStringLiteral("N-balance");
    case ResultKind::MiscResults:
      return QStringLiteral("misc.results");
  }
  return {};
}

void ResultPage::setPlot(qlonglong plotKey, const QString& location, const QString& plotLabel) {
  plotKey_ = plotKey;
  location_ = location;
  plotLabel_ = plotLabel;
}

void ResultPage::clear() {
  showData(trb::evaluation::result_page_frame(kind_, chooser ? chooser->currentIndex() : 0));
}

void ResultPage::refresh() {
  applyChoice(chooser ? chooser->currentIndex() : 0);
}

void ResultPage::applyChoice(int choice) {
  try {
    showData(trb::evaluation::read_result_page(db_, plotKey_, kind_, choice));
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, title->text());
  }
}

void ResultPage::showData(const ResultPageData& data) {
  data_ = data;
  title->setText(data.title);
  model->clear();
  model->setColumnCount(int(data.columns.size()));
  model->setHorizontalHeaderLabels(data.columns);
  model->setRowCount(int(data.rows.size()));
  for (int r = 0; r < data.rows.size(); ++r) {
    const QVariantList& row = data.rows[r];
    for (int c = 0; c < row.size(); ++c) {
      auto* item = new QStandardItem(display(row[c]));
      if (row[c].typeId() != QMetaType::QString)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      model->setItem(r, c, item);
    }
  }
  grid->resizeColumnsToContents();
  // room for every column of the grid, within reason
  int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < model->columnCount(); ++c) width += grid->columnWidth(c);
  grid->setMinimumWidth(std::min(width, 300));
  statistics->clear();
  statistics->addItems(data.statistics);
  chart->setData(data.chart);
}

QString ResultPage::exportSheet() {
  trb::transfer::Sheet sheet;
  sheet.name = fileTag();
  sheet.titles = data_.columns;
  sheet.rows = data_.rows;
  return saveSheet(this, sheet,
                   trb::transfer::spreadsheet_file_name({location_, plotLabel_, fileTag()}));
}

void ResultPage::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  // showing the page selects the chooser's first entry and applies it
  if (!e->spontaneous() && chooser && chooser->currentIndex() != 0) chooser->setCurrentIndex(0);
}

}  // namespace trb::gui
