#include "gui/browser/record_date_edit.h"

#include <QDateEdit>
#include <QLocale>

namespace trb::gui {

QDateEdit* makeRecordDateEdit(QWidget* parent, const QString& name) {
  auto* e = new QDateEdit(parent);
  e->setObjectName(name);
  e->setCalendarPopup(true);
  // years of long-term experiments are written in full
  QString format = QLocale().dateFormat(QLocale::ShortFormat);
  if (!format.contains(QStringLiteral("yyyy")))
    format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  e->setDisplayFormat(format);
  e->setDate(QDate::currentDate());
  return e;
}

}  // namespace trb::gui
