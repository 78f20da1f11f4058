// trbdb transfer: chosen plots with everything they depend on into another trb database.
#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/base/error.h"
#include "core/transfer/plot_transfer.h"

namespace trb::cli {

namespace {

// The answers of the command line: an experiment code the destination knows gets the plots, the
// key check's lists are printed, and a plot whose parameter items the destination lacks is
// skipped unless they are carried over.
class ConsoleQuestions : public trb::transfer::TransferQuestions {
 public:
  explicit ConsoleQuestions(bool copyMissing) : copyMissing_(copyMissing) {}

  bool addPlotsToExistingExperiment(const QString& vcode) override {
    out() << "experiment " << vcode << " exists in the destination: the plots are added to it\n";
    return true;
  }

  void reviewKeyCheck(trb::transfer::PlotTransfer& transfer,
                      const trb::transfer::KeyCheck& check) override {
    if (!copyMissing_) return;
    for (int item : check.missing) {
      if (transfer.copyParameterRow(check.phase, item))
        out() << "copied " << check.table() << " row " << item << " into the destination\n";
    }
  }

  bool continueWithPlot(int flId, int missing) override {
    if (missing == 0) return true;
    err() << "plot " << flId << " is skipped: " << missing
          << " parameter items it uses are missing in the destination (see the lists above; "
             "--copy-missing-parameters carries them over, --no-key-check copies without the "
             "check)\n";
    return false;
  }

 private:
  bool copyMissing_;
};

}  // namespace

int cmdTransfer(const QStringList& args) {
  QStringList rest = args;
  const bool copyMissing = rest.removeAll(QStringLiteral("--copy-missing-parameters")) > 0;
  trb::transfer::TransferOptions options;
  options.keyCheck = rest.removeAll(QStringLiteral("--no-key-check")) == 0;
  options.updateSchema = rest.removeAll(QStringLiteral("--keep-schema")) == 0;
  QList<int> plots;
  const int at = rest.indexOf(QStringLiteral("--plots"));
  if (at >= 0 && at + 1 < rest.size()) {
    for (const QString& p : rest.at(at + 1).split(u',', Qt::SkipEmptyParts)) {
      bool ok = false;
      const int id = p.trimmed().toInt(&ok);
      if (!ok) {
        err() << "trbdb transfer: " << p << " is not a plot number\n";
        return 2;
      }
      plots << id;
    }
    rest.remove(at, 2);
  }
  if (rest.size() != 2 || plots.isEmpty()) {
    err() << "usage: trbdb transfer SRC DST --plots ID,ID,... [--copy-missing-parameters] "
             "[--no-key-check] [--keep-schema]\n";
    return 2;
  }
  try {
    ConsoleFeedback opening(QStringLiteral("rows"));
    trb::db::Database db = trb::app::open_database(rest.at(0), opening);
    opening.endProgress();
    trb::transfer::PlotTransfer transfer(db);
    transfer.selectDestination(rest.at(1));
    if (!transfer.keptBackup().isEmpty())
      err() << "a transfer into " << rest.at(1) << " did not finish; its backup "
            << transfer.keptBackup() << " is kept\n";
    out() << "backup of the destination: " << transfer.backup() << "\n";
    ConsoleQuestions questions(copyMissing);
    ConsoleFeedback feedback;
    const trb::transfer::TransferResult result =
        transfer.transfer(plots, options, questions, feedback);
    out() << result.copied.size() << " of " << plots.size() << " plots copied\n";
    // every plot, with every value it has in the source, or exit status 1
    return result.copied.size() == plots.size() && !result.incomplete ? 0 : 1;
  } catch (const trb::Error& e) {
    printError(QStringLiteral("trbdb transfer"), e);
    return 1;
  }
}

}  // namespace trb::cli
