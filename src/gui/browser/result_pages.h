// The result pages of the loaded plot: "C-dynamics", "N-dynamics", "micr.BM" (measured against
// simulated values with their statistics), "misc.results" (the yearly model outputs),
// "OM-turnover" (the yearly carbon fluxes) and "N-balance". Each shows a grid, a chart and, where
// it has one, the list beside the chart; "==> xls" writes the grid to a spreadsheet file.
#pragma once

#include <QWidget>

#include "core/evaluation/result_pages.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ResultChart;

class ResultPage : public QWidget {
  Q_OBJECT
 public:
  // showStatistics false hides the list beside the chart (the comparison pages outside power
  // mode).
  ResultPage(trb::db::Database& db, trb::evaluation::ResultKind kind, bool showStatistics,
             QWidget* parent = nullptr);

  trb::evaluation::ResultKind kind() const { return kind_; }
  // The plot the page belongs to; its location and label name the exported file.
  void setPlot(qlonglong plotKey, const QString& location, const QString& plotLabel);
  // Reads the page of the plot for the chooser's entry (the pages that read on their own).
  void refresh();
  // Shows what was read elsewhere (the comparison pages are evaluated together).
  void showData(const trb::evaluation::ResultPageData& data);
  void clear();
  const trb::evaluation::ResultPageData& data() const { return data_; }
  bool hasRows() const { return !data_.rows.isEmpty(); }
  // "==> xls": the grid to a spreadsheet file; returns the path written or an empty string.
  QString exportSheet();
  // The page's name in file names and in the design's captions ("C-dynamics", ...).
  QString fileTag() const;

  QLabel* title = nullptr;
  QComboBox* chooser = nullptr;  // "selection"; nullptr on the pages without one
  QTableView* grid = nullptr;
  QStandardItemModel* model = nullptr;
  QListWidget* statistics = nullptr;  // the list beside the chart
  ResultChart* chart = nullptr;
  QPushButton* xlsButton = nullptr;     // "==> xls"
  QPushButton* reportButton = nullptr;  // "create report" (comparison pages; reports wire it)
  QPushButton* pdfButton = nullptr;     // "save as PDF; skip preview"

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void applyChoice(int choice);

  trb::db::Database& db_;
  trb::evaluation::ResultKind kind_;
  qlonglong plotKey_ = -99;
  QString location_, plotLabel_;
  trb::evaluation::ResultPageData data_;
};

// The pages in their order; the index is the page's place in the browser's tab bar.
namespace Page {
inline constexpr int BasicInfo = 0, Management = 1, Observation = 2, CDynamics = 3, NDynamics = 4,
                     MicrobialBiomass = 5, MiscResults = 6, Turnover = 7, NBalance = 8;
}  // namespace Page

}  // namespace trb::gui
