#include "gui/app/application.h"

#include <QApplication>

#include "gui/app/trbsettingU1.h"
#include "gui/engine/trb_m1.h"

namespace trb::gui {

Windows::Windows(const StartOptions& options) {
  main = std::make_unique<TsolvaForm>(options);
  settings = std::make_unique<TtrbsettingForm>();
  simulator = std::make_unique<TtrbadoForm1>();
  simulator->arguments = options.args;
  main->setWindows(settings.get(), simulator.get());
}

Windows::~Windows() {
  // the simulator's worker must end before the windows go
  if (simulator) simulator->stopAndWait();
}

int runApplication() {
  QApplication::setApplicationName(QStringLiteral("trb"));
  QApplication::setApplicationDisplayName(QStringLiteral("trb"));
  QApplication::setApplicationVersion(QStringLiteral(TRB_VERSION));
  Windows windows(StartOptions::fromApplication());
  windows.main->show();
  const int code = QApplication::exec();
  return code != 0 ? code : windows.main->batchExitCode();
}

}  // namespace trb::gui
