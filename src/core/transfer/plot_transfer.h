// Copying chosen plots with everything they depend on from the open database into another trb
// database file (the destination): experiment rows, literature links and references, the plot
// with its measurements, management and selection row, and its soil and climate station with the
// weather and deposition where the destination lacks them. Keys stay as they are; a soil or
// station the destination has under the same key is used only when it holds the same values.
//
// The destination is attached to the open connection for the time of a command, so every copy is
// one statement from file to file, and a whole transfer run is one transaction: interrupted, it
// leaves the destination as it was.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "core/db/database.h"

namespace trb {
class Feedback;
}

namespace trb::transfer {

// A line of the plot lists.
struct TransferPlot {
  int flId = -99;
  QString location;
  QString siteDescription;
  // " 12: location-site"
  QString line() const;
};

// The plot number of a line of the plot list: the text before the first ":"; -99 when there is
// none.
int plot_of_line(const QString& line);

// The plots of a database, ordered by location and site description.
QList<TransferPlot> transfer_plots(db::Database& db);

// One phase of the key check: the parameter items a plot's management uses, compared with the
// destination's parameter table.
struct KeyCheck {
  enum class Phase { OrganicMatters, Crops };
  struct Item {
    int itemIx = -99;
    QString tag;     // "ewr", "kop", "GRD", "ops" (organic matters); "crop"
    int crop = -99;  // the crop whose residue or by-product it is
    QString name;    // in the source
  };
  Phase phase = Phase::OrganicMatters;
  int flId = -99;
  QList<Item> used;
  QStringList hits;    // "item ==>src: name ==>dst: name"
  QList<int> missing;  // items the destination lacks
  // The parameter table of the phase: slvopspa or slvpflan.
  QString table() const;
};

class PlotTransfer;

// The questions a transfer asks. The window answers with message boxes and waits for "go on";
// the command line answers from its switches.
class TransferQuestions {
 public:
  virtual ~TransferQuestions() = default;
  // The experiment code exists in the destination: add plots to it?
  virtual bool addPlotsToExistingExperiment(const QString& vcode) = 0;
  // Shows one phase of the key check (its lines are already in the feedback) and returns when
  // the user goes on; missing rows may be carried over meanwhile (PlotTransfer::copyParameterRow).
  virtual void reviewKeyCheck(PlotTransfer& transfer, const KeyCheck& check) = 0;
  // After both phases: copy the plot? missing counts the items still missing in the destination.
  virtual bool continueWithPlot(int flId, int missing) = 0;
};

struct TransferOptions {
  // Compare the parameter items of each plot with the destination's first (the key check).
  bool keyCheck = true;
  // Copy a plot whose soil or station differs from the one the destination has under the same
  // key; the plot then uses the destination's. Without it such a plot is not copied.
  bool copyAnyway = false;
  // Add the columns and tables the destination lacks (an older file) before copying; without it
  // their values are not copied and the result says the copy is incomplete.
  bool updateSchema = true;
};

struct TransferResult {
  QList<int> copied;
  QList<int> skipped;
  QList<int> differing;     // skipped: their soil or station differs in the destination
  bool canceled = false;    // an experiment code the user did not confirm: nothing was copied
  bool incomplete = false;  // copied without columns the destination lacks
};

class PlotTransfer {
 public:
  explicit PlotTransfer(db::Database& source);

  // "select destination": copies the file to the same name with ".bak" appended (an older copy is
  // replaced) and takes it as the destination. The backup of a transfer into that file that did
  // not finish is never replaced: the copy then goes to the next free "name.bak.1", "name.bak.2",
  // ... Throws trb::Error for an Access file, a file that is not a trb database, the open database
  // itself, or a backup that cannot be written.
  void selectDestination(const QString& file);
  bool hasDestination() const { return !destination_.isEmpty(); }
  QString destination() const { return destination_; }
  // The backup the last choice of the destination made.
  QString backup() const { return backup_; }
  // The backup of an unfinished transfer that the last choice kept; empty when there was none.
  QString keptBackup() const { return keptBackup_; }
  static QString backupName(const QString& file) { return file + QStringLiteral(".bak"); }
  // Exists while a transfer into file runs and stays when it does not finish; holds the name of
  // the backup taken before that run.
  static QString unfinishedMarker(const QString& file) {
    return file + QStringLiteral(".unfinished-transfer");
  }

  // What the destination lacks of the tables and columns a transfer writes ("table.column", or
  // "table" for a whole table): an older file.
  QStringList missingInDestination();

  QList<TransferPlot> destinationPlots();

  // One phase of the key check for a plot; its lines go to the feedback.
  KeyCheck checkKeys(int flId, KeyCheck::Phase phase, Feedback& feedback);
  // Carries the parameter row itemIx of the phase's table over into the destination. False when
  // the destination has it already or the source has none.
  bool copyParameterRow(KeyCheck::Phase phase, int itemIx);
  // How many of the items a plot uses (both phases) the destination lacks.
  int missingItems(int flId);

  // "copy": the plots in the given order, in one transaction. Plots that are not in the open
  // database are refused before anything is copied (trb::Error). A plot whose FL_ID the
  // destination has already is not copied, nor one whose soil or station differs from the
  // destination's under the same key (unless options.copyAnyway). Throws trb::Error when a copy
  // fails; nothing of the run then stays. A stop asked through the feedback keeps the plots
  // copied before it.
  TransferResult transfer(const QList<int>& plots, const TransferOptions& options,
                          TransferQuestions& questions, Feedback& feedback);
  TransferResult transfer(const QList<int>& plots, bool keyCheck, TransferQuestions& questions,
                          Feedback& feedback) {
    TransferOptions options;
    options.keyCheck = keyCheck;
    return transfer(plots, options, questions, feedback);
  }

 private:
  class Attached;
  void copyExperiment(const QString& vcode, Feedback& feedback);
  void copyLiterature(const QString& vcode);
  void copyPlot(int flId, Feedback& feedback);
  bool destinationHas(const QString& table, const QString& key, const QVariant& value);
  // The columns a table has in both files, for the copies of whole rows.
  QStringList sharedColumns(const QString& table);
  void updateDestinationSchema(Feedback& feedback);
  // Empty when the destination lacks the plot's soil and station or has them with the same
  // values; otherwise what differs, for the message.
  QString differingDependency(int flId);

  db::Database& db_;
  QString destination_;
  QString backup_;
  QString keptBackup_;
  int attachDepth_ = 0;
};

}  // namespace trb::transfer
