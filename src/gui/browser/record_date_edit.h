// The date box of the record editors: the user's short date format with a four-digit year and a
// calendar to pick from.
#pragma once

#include <QString>

class QDateEdit;
class QWidget;

namespace trb::gui {

QDateEdit* makeRecordDateEdit(QWidget* parent, const QString& name);

}  // namespace trb::gui
