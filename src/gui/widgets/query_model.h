// Grids over query results. The rows are copied out and the query is finished at once, so that a
// grid never holds a read lock on the database while a calculation writes to it.
#pragma once

#include <QStandardItemModel>

class QSqlQuery;

namespace trb::gui {

// Replaces the model's rows and headers with the query's result; the query is finished after.
void fillModel(QStandardItemModel& model, QSqlQuery& query);

}  // namespace trb::gui
