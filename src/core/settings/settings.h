// The per-user settings store: named values with fixed names and types.
//
// Each module opens the store, reads what it needs and lets it go again; only the settings
// dialog keeps copies in memory. Numbers are stored as text except recalc_bat and power, which
// are integers.
#pragma once

#include <QMap>
#include <QSettings>
#include <QString>
#include <memory>
#include <optional>

#include "core/settings/settings_table.h"

namespace trb::settings {

// Opens the user's store: the registry key HKCU\Software\trb on Windows, the INI file
// <config>/trb/trb.conf elsewhere.
std::unique_ptr<QSettings> openStore();

// True when the store holds any value; false on the very first start.
bool storeExists(const QSettings& store);

// The bundled demo database: demo/trb_demo.sqlite beside the executable, one folder up or two
// folders up (an installed program, a build tree, a test binary). Empty when none exists.
QString defaultDatabasePath(const QString& exeDir = QString());

// Writes the thirteen first-start values of the settings table in their fixed order, each
// committed on its own; database and ppath are the program's.
void writeFirstStartDefaults(QSettings& store, const QString& database, const QString& ppath);

// The settings dialog's copies: stored name -> value as stored ("BAT recalc" as "0" or "1").
using DialogValues = QMap<QString, QString>;

// Reads the dialog's values in the dialog's order. A missing text reads as empty. A missing or
// non-integer recalc_bat fails with trb::Error: the values before it are read, pdf_reader and
// pdf_dir are not.
void read_registry(QSettings& store, DialogValues& values);

// Writes the dialog's values back in the same order. A value the store cannot hold as its type
// (a recalc_bat that is not a whole number) stops the save there with trb::Error: the values
// before it are written, the ones after it are not. The dialog checks every value against the
// settings table first (checkDialogValues), so that a refused save writes nothing.
void write_registry(QSettings& store, const DialogValues& values);

// Checks every dialog value against the settings table before anything is written; throws
// trb::Error naming the first field that does not fit.
void checkDialogValues(const DialogValues& values);

// Text of a stored value; a value QSettings split at commas is joined again.
QString readText(const QSettings& store, const QString& name);
// Integer value; false when missing or not an integer.
bool readInt(const QSettings& store, const QString& name, int& out);
// A number stored as text ("42"), read with a decimal point; nullopt when missing or no number.
std::optional<double> readNumber(const QSettings& store, const QString& name);

// Stores one value and commits it.
void writeText(QSettings& store, const QString& name, const QString& value);
void writeInt(QSettings& store, const QString& name, int value);

}  // namespace trb::settings
