#include "gui/app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "core/app/caption_language.h"

namespace trb::gui {

QString captionLanguage() {
  return trb::app::captionLanguage();
}

void setCaptionLanguage(const QString& letter) {
  trb::app::setCaptionLanguage(letter);
  static QTranslator ours;
  static QTranslator qt;
  QCoreApplication::removeTranslator(&ours);
  QCoreApplication::removeTranslator(&qt);
  if (letter != u"D") return;
  // a translation that cannot be loaded leaves the English captions
  if (ours.isEmpty() && !ours.load(QStringLiteral(":/i18n/trb_de.qm"))) return;
  if (qt.isEmpty()) {
    // Qt's own dialogs stay English where its German catalogue is not installed
    const bool found =
        qt.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    Q_UNUSED(found)
  }
  QCoreApplication::installTranslator(&ours);
  if (!qt.isEmpty()) QCoreApplication::installTranslator(&qt);
}

}  // namespace trb::gui
