// "==> xls" and its kin: asks where to save a grid as a spreadsheet (a name proposed in the current
// folder), writes it with the one exporter, opens it with the desktop's default application and
// shows where it went.
#pragma once

#include <QString>

#include "core/transfer/spreadsheet_export.h"

class QWidget;

namespace trb::gui {

// Returns the path written, or an empty string when the user canceled or writing failed (the
// failure is reported over parent).
QString saveSheet(QWidget* parent, const trb::transfer::Sheet& sheet, const QString& proposedName);

}  // namespace trb::gui
