// trb: the workbench window. "trb DB=path go" calculates the selected plots of that database in
// the simulator window and ends.
#include <QApplication>

#include "gui/app/application.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  return trb::gui::runApplication();
}
