#include "gui/widgets/query_model.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace trb::gui {

void fillModel(QStandardItemModel& model, QSqlQuery& query) {
  model.clear();
  const QSqlRecord rec = query.record();
  QStringList headers;
  for (int c = 0; c < rec.count(); ++c) headers << rec.fieldName(c);
  model.setColumnCount(rec.count());
  model.setHorizontalHeaderLabels(headers);
  while (query.next()) {
    QList<QStandardItem*> row;
    for (int c = 0; c < rec.count(); ++c) {
      auto* item = new QStandardItem;
      item->setData(query.value(c), Qt::DisplayRole);
      item->setEditable(false);
      row << item;
    }
    model.appendRow(row);
  }
  query.finish();
}

}  // namespace trb::gui
