// The program's start: the windows, created once in their order, the main window first.
#pragma once

#include <memory>

#include "gui/app/main_window.h"

namespace trb::gui {

class BrowserWindow;
class ClimateWindow;
class ParameterEditor;
class SettingsDialog;
class SimulatorWindow;
class SqlWindow;
class TransferWindow;
class UpdateCheckWindow;
class ReferenceListWindow;

// The windows of the program. They live until the program ends.
struct Windows {
  std::unique_ptr<trb::app::Session> session;  // made first, gone last
  std::unique_ptr<MainWindow> main;
  std::unique_ptr<SettingsDialog> settings;
  std::unique_ptr<SimulatorWindow> simulator;
  std::unique_ptr<BrowserWindow> browser;
  std::unique_ptr<ClimateWindow> climate;
  std::unique_ptr<ParameterEditor> parameters;
  std::unique_ptr<TransferWindow> transfer;
  std::unique_ptr<SqlWindow> sql;
  std::unique_ptr<UpdateCheckWindow> updateCheck;   // made on the first double click
  std::unique_ptr<ReferenceListWindow> references;  // made on the first "show references"

  // The reference list on the shared connection, made when first asked for.
  ReferenceListWindow& referenceList();

  explicit Windows(const StartOptions& options);
  ~Windows();
};

// Sets up the application (title "trb"), creates the windows, shows the main window and runs the
// message loop until it closes. Returns the program's exit code.
int runApplication();

}  // namespace trb::gui
