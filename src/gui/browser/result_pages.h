// The result pages of the loaded plot. "misc.results" lists the yearly model outputs; the
// comparison pages, "OM-turnover" and "N-balance" show their grids' titles and are filled by the
// evaluation module (charts and statistics).
#pragma once

#include <QStringList>
#include <QWidget>

#include "core/browser/browser_service.h"
#include "gui/widgets/row_model.h"

class QLabel;
class QStandardItemModel;
class QTableView;

namespace trb::gui {

// A result page whose rows come from the evaluation: a title and the grid's column titles.
class ResultPage : public QWidget {
  Q_OBJECT
 public:
  ResultPage(const QString& name, const QString& title, const QStringList& columns,
             QWidget* parent = nullptr);

  QLabel* title = nullptr;
  QTableView* grid = nullptr;
  QStandardItemModel* model = nullptr;
};

using YearlyResultsModel = RowModel<trb::browser::YearlyResult>;

// "misc.results": the yearly result list of the loaded plot.
class MiscResultsPage : public QWidget {
  Q_OBJECT
 public:
  explicit MiscResultsPage(QWidget* parent = nullptr);
  void showRows(const QList<trb::browser::YearlyResult>& rows);

  QTableView* grid = nullptr;
  YearlyResultsModel* model = nullptr;
};

// The pages in their order; the index is the page's place in the browser's tab bar.
namespace Page {
inline constexpr int BasicInfo = 0, Management = 1, Observation = 2, CDynamics = 3, NDynamics = 4,
                     MicrobialBiomass = 5, MiscResults = 6, Turnover = 7, NBalance = 8;
}  // namespace Page

// Page builders with their titles; the captions are translated in the ResultPage context.
ResultPage* makeCarbonPage(QWidget* parent);
ResultPage* makeNitrogenPage(QWidget* parent);
ResultPage* makeMicrobialPage(QWidget* parent);
ResultPage* makeTurnoverPage(QWidget* parent);
ResultPage* makeNBalancePage(QWidget* parent);

}  // namespace trb::gui
