// The per-user settings store: named values with fixed names and types.
//
// Each module opens the store, reads what it needs and lets it go again; only the settings
// dialog keeps copies in memory. Numbers are stored as text except recalc_bat and power, which
// are integers.
#pragma once

#include <QSettings>
#include <QString>
#include <memory>

namespace trb::settings {

// Opens the user's store: the registry key HKCU\Software\trb on Windows, the INI file
// <config>/trb/trb.conf elsewhere.
std::unique_ptr<QSettings> openStore();

// True when the store holds any value; false on the very first start.
bool storeExists(const QSettings& store);

// The bundled demo database: demo/trb_demo.sqlite beside the executable, one folder up or two
// folders up (an installed program, a build tree, a test binary). Empty when none exists.
QString default_database_path(const QString& exeDir = QString());

// Writes the thirteen first-start values in their fixed order, each committed on its own.
void writeFirstStartDefaults(QSettings& store, const QString& database, const QString& ppath);

// The settings dialog's copies, as its fields show them ("BAT recalc" as text).
struct RegistryValues {
  QString ppath;
  QString methode;
  QString database;
  QString soil_scheme;
  QString pf_wp;
  QString pf_fk;
  QString ptfmode;
  QString r_call;
  QString r_result;
  QString r_script;
  QString recalc_bat;
  QString pdf_reader;
  QString pdf_dir;

  bool operator==(const RegistryValues&) const = default;
};

// Reads the dialog's values. A missing text reads as empty. A missing or non-integer recalc_bat
// fails: the values before it are read, pdf_reader and pdf_dir are not, and the error is
// returned (empty on success).
QString read_registry(QSettings& store, RegistryValues& values);

// Writes the dialog's values back in the same order. A "BAT recalc" text that is not an integer
// stops the save there: the values before it are written, pdf_reader and pdf_dir are not, and
// the error is returned (empty on success).
QString write_registry(QSettings& store, const RegistryValues& values);

// What the simulator takes from the store when it is activated.
struct SimulatorSettings {
  QString database;
  int hymode = 3;  // stored as ptfmode
  double pf_wp = 4.2;
  double pf_fk = 1.8;
  bool recalc_bat = true;
  QString soil_scheme = QStringLiteral("RBS");
  QString methode = QStringLiteral("TRB");
  QString r_call;
  QString r_script;
  QString r_result;
};

// Reads the simulator's settings. currentDatabase is the simulator's path field: only "?" is
// replaced by the stored database (or, without any settings, by trb_data.mdb in the current
// folder). A value that is missing or does not convert keeps the default above.
SimulatorSettings readSimulatorSettings(const QSettings& store, const QString& currentDatabase);

// Text of a stored value; a value QSettings split at commas is joined again.
QString readText(const QSettings& store, const QString& name);
// Integer value; false when missing or not an integer.
bool readInt(const QSettings& store, const QString& name, int& out);

// Stores one value and commits it.
void writeText(QSettings& store, const QString& name, const QString& value);
void writeInt(QSettings& store, const QString& name, int value);

}  // namespace trb::settings
