// trb: the workbench window. "trb DB=path go" calculates the selected plots of that database in
// the simulator window and ends.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/base/version.h"
#include "gui/app/application.h"

namespace {

constexpr const char* kUsage =
    "usage: trb [DB=path] [go] [simulator switches]\n"
    "\n"
    "  --version prints the program's version\n"
    "  DB=path   the system database (the last DB= argument counts)\n"
    "  go        batch run: calculate the selected plots of the database in the simulator\n"
    "            window, write trb_report.txt in the current folder and end\n"
    "            (exit code 0 when the calculation finished, 1 when it stopped)\n"
    "  switches  of the simulator: M=TRB|LUFA|KOLBE|NULL, SC=RBS|KA4, BAT0|BAT1, I=-1|0|1,\n"
    "            new_bat, nw, ERR_Pn, PPQn=file, POQn=file\n"
    "\n"
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) trb runs on the offscreen\n"
    "platform, which suits batch runs.\n";

bool isHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
         std::strcmp(arg, "-?") == 0;
}

bool hasEnv(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns about window features it cannot have (propagateSizeHints(),
// raise()); they mean nothing here.
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
    return;
  if (previousHandler) previousHandler(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (isHelp(argv[i])) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("trb %s\n", qPrintable(trb::programVersion()));
      return 0;
    }
  }
  // Without a display the windows live on the offscreen platform (a batch run needs none).
  if (!hasEnv("QT_QPA_PLATFORM") && !hasEnv("DISPLAY") && !hasEnv("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
    previousHandler = qInstallMessageHandler(quietOffscreen);
  QApplication app(argc, argv);
  return trb::gui::runApplication();
}
