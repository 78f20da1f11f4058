#include "gui/widgets/error_reporter.h"

#include <QMessageBox>
#include <QSet>
#include <QWidget>
#include <cstdio>

#include "core/base/error.h"

namespace trb::gui {

namespace {

bool batch = false;

}  // namespace

void ErrorReporter::setBatchMode(bool on) {
  batch = on;
}

bool ErrorReporter::batchMode() {
  return batch;
}

void ErrorReporter::report(QWidget* parent, const trb::Error& error,
                           const QString& fallbackCaption) {
  QString caption = error.caption();
  if (caption.isEmpty()) caption = fallbackCaption;
  if (caption.isEmpty() && parent) caption = parent->window()->windowTitle();
  if (batch) {
    // each problem once: a database that cannot be written fails every command that writes
    static QSet<QString> printed;
    if (printed.contains(error.message())) return;
    printed.insert(error.message());
    std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(error.text()));
    std::fflush(stderr);
    return;
  }
  auto* box =
      new QMessageBox(QMessageBox::Warning, caption, error.message(), QMessageBox::Ok, parent);
  box->setObjectName(QStringLiteral("errorBox"));
  if (!error.statement().isEmpty()) box->setDetailedText(error.statement());
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void ErrorReporter::report(QWidget* parent, const std::exception& error,
                           const QString& fallbackCaption) {
  if (const auto* own = dynamic_cast<const trb::Error*>(&error)) {
    report(parent, *own, fallbackCaption);
    return;
  }
  report(parent, trb::Error(QString::fromUtf8(error.what())), fallbackCaption);
}

}  // namespace trb::gui
