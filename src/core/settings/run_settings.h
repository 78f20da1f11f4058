// The settings of a simulator run: the stored values as the simulator reads them (with its
// fallbacks), then the simulator's command-line switches. trbsim and the simulator window read
// them the same way.
#pragma once

#include <QString>
#include <QStringList>
#include <array>

class QSettings;

namespace trb::settings {

// The simulator's switches, parsed from the program's arguments.
struct SimSwitches {
  bool sim_prot = false;  // ERR_P
  int run_id = -99;
  bool auto_mode = false;  // go
  bool has_bat = false;    // BAT0 / BAT1
  bool recalc_bat = true;
  bool simple_version = true;  // false with new_bat
  QString methode;             // M=, empty when not given
  QString soil_scheme;         // SC=
  bool has_interpol = false;
  int interpol = 0;  // I=
  bool nowait = false;
  bool preprocessing = false, post_processing = false;
  int pre_n = 0, pst_n = 0;
  std::array<QString, 10> pre_proc_arr, pst_proc_arr;  // entries 1..9
  QString database;                                    // DB=, empty when not given
  int workers = -1;  // WORKERS=, -1 when not given (or not a whole number in range)

  static SimSwitches parse(const QStringList& args);
};

// The settings of a run. The members are named as the stored values; pF values are divided by ten
// ("42" is 4.2).
struct RunSettings {
  QString database = QStringLiteral("?");
  int ptfmode;
  double pf_wp;
  double pf_fk;
  bool recalc_bat;
  QString soil_scheme;
  QString methode;
  int interpol;
  bool simple_version = true;
  QString r_call, r_script, r_result;  // empty: their first-start defaults are placeholders
  int workers = 0;  // threads computing the plots; 0: as many as the machine has cores

  // The threads a run computes its plots on: workers, or the machine's cores for 0.
  int workerThreads() const;

  // The fallbacks of a run: the first-start defaults of the settings table.
  RunSettings();

  // Reads the store as the simulator does, then applies the switches. currentDatabase is the
  // simulator's path field: only "?" is replaced by the stored database (or, without any
  // settings, by trb_data.mdb in the current folder). Without any settings every value keeps its
  // fallback; with settings a number or flag that is missing or does not convert keeps its
  // fallback, and a missing text reads as empty.
  static RunSettings read(const QSettings& store, const SimSwitches& sw,
                          const QString& currentDatabase = QStringLiteral("?"));
  // The six lines of the settings report.
  QStringList report() const;
};

}  // namespace trb::settings
