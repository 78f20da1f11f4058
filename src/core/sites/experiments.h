// Keeping the structure of the experiment database: experiments (a location, the folder of its
// plots, with an experiment code), their plots and the plot keys.
//
// Each command that changes more than one table runs in one transaction: it completes, or the
// database stays as it was. Refusals are trb::Error with the message and caption the window shows;
// database failures are trb::db::DbError.
#pragma once

#include <QString>
#include <QStringList>

namespace trb::db {
class Database;
}

namespace trb::sites {

// The tables that hold rows of a plot by its key, besides field_description: management,
// measurements, the selection flag, results and the plot's literature links. Tables an older file
// lacks are skipped by the commands.
QStringList plotKeyedTables();

// --- Experiments --------------------------------------------------------------------------------

struct NewExperiment {
  int code = 0;        // exp_id, also written as the text vcode
  qlonglong flId = 0;  // key of its first plot
};

// The key the next new experiment gets (the "internal code" the dialog shows).
int next_experiment_code(trb::db::Database& db);

// "create a new experiment": an experiments row with the next key and the short name as its
// location, and its first plot ("-", source "??", no station, soil or area). A short name that is
// empty or already names an experiment's location is refused: the tree lists plots by location,
// so two experiments on one location would show, and delete, each other's plots.
NewExperiment create_experiment(trb::db::Database& db, const QString& shortName);

// "delete experiment": every plot of the location with all rows of its keys, the experiments
// rows of their codes and of code (an experiment without plots is found by its own code), and
// the literature links of those codes. Returns the number of plots deleted.
int delete_experiment(trb::db::Database& db, const QString& location, const QString& code);

// The experiments row "shift experiment ID" starts from.
struct ExperimentRow {
  bool found = false;
  int expId = 0;
  QString vcode;
  QString location;
  QString herkunft;
};
ExperimentRow read_experiment(trb::db::Database& db, int code);

// The code of an experiment label as a positive whole number; throws trb::Error ("please change
// the data manually in the database") otherwise.
int numeric_experiment_code(const QString& code);

// "shift experiment ID": gives the experiment oldCode the code newCode and the location
// newLocation, in experiments, in its plots and in its literature links. Refused when newCode is
// not a positive whole number or belongs to another experiment, and when newLocation is empty
// or another experiment's location.
void change_experiment_code(trb::db::Database& db, int oldCode, int newCode,
                            const QString& newLocation);

// --- Plots --------------------------------------------------------------------------------------

// "add a new plot": a plot of the experiment (location, code) with source herkunft ("??" when
// empty), and its selection row (status 0). Returns its key.
qlonglong add_plot(trb::db::Database& db, const QString& location, const QString& code,
                   const QString& herkunft);

// "delete active plot": the plot and every row of its key. Returns false when no plot has the key.
bool delete_plot(trb::db::Database& db, qlonglong flId);

// --- Plot keys ----------------------------------------------------------------------------------

// The smallest and largest plot key of a location ("current range").
struct KeyRange {
  bool found = false;  // false when the location has no plots
  qlonglong min = 0;
  qlonglong max = 0;
};
KeyRange plot_key_range(trb::db::Database& db, const QString& location);

// Plots of the whole database whose key lies in [lower, upper].
int plots_in_range(trb::db::Database& db, qlonglong lower, qlonglong upper);

// The line the shift dialog shows for a destination range holding count plots.
QString destination_range_message(int count);

// "shift plots  FL_ID": adds offset to the key of every plot of the location, and moves every row
// that refers to those keys with them. Refused (destination_range_message) while any plot of the
// database lies in the destination range [min + offset, max + offset], and when a key would fall
// below 0. Returns the number of plots shifted.
int shift_plot_keys(trb::db::Database& db, const QString& location, qlonglong offset);

}  // namespace trb::sites
