// The grid of a query's result: rows come from the cursor as the view scrolls to them, so a
// result of a million rows shows its first rows at once.
#pragma once

#include <QAbstractTableModel>
#include <memory>

#include "core/sqlmodule/sql_script.h"

namespace trb::gui {

class ResultModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Rows read per fetch.
  static constexpr int kBlock = 256;

  explicit ResultModel(QObject* parent = nullptr);
  ~ResultModel() override;

  // Shows a new result (nothing with a null cursor); the old one is released.
  void setCursor(std::unique_ptr<trb::sqlmodule::ResultCursor> cursor);
  trb::sqlmodule::ResultCursor* cursor() const { return cursor_.get(); }
  // Reads the rest of the result and shows it.
  void fetchAll();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  void showFetched();
  std::unique_ptr<trb::sqlmodule::ResultCursor> cursor_;
  int shown_ = 0;
};

}  // namespace trb::gui
