// The one table of settings: every value the program keeps in the settings store, and the run
// values that come only from the simulator's switches, each with its stored name and type, its
// first-start default, its caption and what it allows. The store, the settings dialog and the
// run settings all work from this table.
#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/base/error.h"

namespace trb::settings {

// The stored names. They are the names of the existing settings files: never rename them.
namespace keys {
inline constexpr QLatin1String database{"database"};
inline constexpr QLatin1String ppath{"ppath"};
inline constexpr QLatin1String methode{"methode"};
inline constexpr QLatin1String pf_fk{"pf_fk"};
inline constexpr QLatin1String pf_wp{"pf_wp"};
inline constexpr QLatin1String ptfmode{"ptfmode"};
inline constexpr QLatin1String r_call{"r_call"};
inline constexpr QLatin1String r_script{"r_script"};
inline constexpr QLatin1String r_result{"r_result"};
inline constexpr QLatin1String soil_scheme{"soil_scheme"};
inline constexpr QLatin1String recalc_bat{"recalc_bat"};
inline constexpr QLatin1String power{"power"};
inline constexpr QLatin1String language{"language"};
inline constexpr QLatin1String provider{"provider"};
inline constexpr QLatin1String pdf_reader{"pdf_reader"};
inline constexpr QLatin1String pdf_dir{"pdf_dir"};
inline constexpr QLatin1String sp_a_sql{"sp_a_sql"};
inline constexpr QLatin1String sp_a_r{"sp_a_r"};
inline constexpr QLatin1String regmode{"REGMODE"};
inline constexpr QLatin1String update_page{"update_page"};
inline constexpr QLatin1String update_folder{"update_folder"};
inline constexpr QLatin1String workers{"workers"};
// Not stored: the silt of a texture class, from the switch I= only.
inline constexpr QLatin1String interpol{"interpol"};
}  // namespace keys

// The most threads a calculation computes its plots on.
inline constexpr int kMaxWorkers = 256;

// How a value is edited (and so what it allows).
enum class Editor {
  Text,    // any text
  Folder,  // a folder path
  File,    // a file path
  Choice,  // one of the choices
  Number,  // a number between minimum and maximum
  Flag,    // yes (1) or no (0)
};

struct Choice {
  QString value;    // as stored
  QString caption;  // as shown beside it
};

struct Setting {
  QLatin1String key;
  bool storedAsInteger = false;   // an integer value in the store; all others are text
  bool stored = true;             // false: a run value that only a switch sets
  QString firstStart;             // first-start default as stored text
  int firstStartOrder = 0;        // position in the first-start writing; 0: not written then
  const char* caption = nullptr;  // label in the settings dialog; nullptr: not in the dialog
  Editor editor = Editor::Text;
  QList<Choice> choices;  // Choice
  double minimum = 0;     // Number: the allowed range of the value as stored
  double maximum = 0;
  bool hidden = false;  // in the dialog's copies but not offered for editing

  bool inDialog() const { return caption != nullptr; }
  // The caption of a choice's value; empty when the value is none of the choices.
  QString choiceCaption(const QString& value) const;
  QStringList choiceValues() const;
};

// Every setting: first the dialog's values in the dialog's order, then the others.
const QList<Setting>& table();
// The entry of a key; throws trb::Error for a key the table does not hold.
const Setting& setting(QLatin1String key);
// The dialog's entries, in its order (the order of reading and writing the store).
QList<const Setting*> dialogSettings();

// A value that does not fit its setting; key() names the setting.
class InvalidSetting : public trb::Error {
 public:
  InvalidSetting(QLatin1String key, const QString& message, const QString& caption)
      : trb::Error(message, caption), key_(key) {}
  QString key() const { return key_; }

 private:
  QString key_;
};

// Checks a value as the dialog would save it: an integer where the store keeps an integer, a
// number in its range, one of the choices. Throws InvalidSetting whose message names the field by
// its caption and says why.
void checkValue(const Setting& s, const QString& text);

}  // namespace trb::settings
