#include "core/engine/calculation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QTextStream>
#include <cstdio>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/balance.h"
#include "core/engine/bat.h"
#include "core/engine/calc_stop.h"
#include "core/engine/crep.h"
#include "core/engine/humus.h"
#include "core/engine/inputs.h"
#include "core/engine/slvptf.h"
#include "core/engine/soil_table.h"
#include "core/settings/settings.h"

namespace trb::engine {

SimSwitches SimSwitches::parse(const QStringList& args) {
  SimSwitches s;
  for (const QString& a : args) {
    if (a.startsWith(QStringLiteral("ERR_P"))) {
      s.sim_prot = true;
      s.run_id = a.size() > 6 ? a.mid(6, 6).trimmed().toInt() : -99;
    }
    if (a == u"go") s.auto_mode = true;
    if (a.startsWith(QStringLiteral("BAT"))) {
      s.has_bat = true;
      s.recalc_bat = a.size() >= 5 && a.at(4) == u'1';
    }
    if (a == u"new_bat") s.simple_version = false;
    // the whole key after "M=", so that "M=KOLBE" can choose that method
    if (a.startsWith(QStringLiteral("M="))) s.methode = a.mid(2);
    if (a.startsWith(QStringLiteral("SC="))) s.soil_scheme = a.mid(3, 3);
    if (a.startsWith(QStringLiteral("I="))) {
      s.has_interpol = true;
      s.interpol = a.mid(2, 2).trimmed().toInt();
    }
    if (a == u"nw") s.nowait = true;
    for (bool pre : {true, false}) {
      const QString tag = pre ? QStringLiteral("PPQ") : QStringLiteral("POQ");
      if (a.contains(tag) && a.size() >= 5 && a.at(4) == u'=' && a.at(3).isDigit()) {
        const int n = a.at(3).digitValue();
        if (pre) {
          s.preprocessing = true;
          s.pre_n = n;
          s.pre_proc_arr[n] = a.mid(5);
        } else {
          s.post_processing = true;
          s.pst_n = n;
          s.pst_proc_arr[n] = a.mid(5);
        }
      }
    }
    if (a.startsWith(QStringLiteral("DB="))) s.database = a.mid(3);
  }
  return s;
}

RunSettings RunSettings::read(const QSettings& store, const SimSwitches& sw,
                              const QString& currentDatabase) {
  const trb::settings::SimulatorSettings st =
      trb::settings::readSimulatorSettings(store, currentDatabase);
  RunSettings r;
  r.database = st.database;
  r.hymode = st.hymode;
  r.pf_wp = st.pf_wp;
  r.pf_fk = st.pf_fk;
  r.recalc_bat = st.recalc_bat;
  r.soil_scheme = st.soil_scheme;
  r.methode = st.methode;
  r.r_call = st.r_call;
  r.r_script = st.r_script;
  r.r_result = st.r_result;
  if (sw.has_bat) r.recalc_bat = sw.recalc_bat;
  r.simple_version = sw.simple_version;
  if (!sw.methode.isNull()) r.methode = sw.methode;
  if (!sw.soil_scheme.isNull()) r.soil_scheme = sw.soil_scheme;
  if (sw.has_interpol) r.interpol = sw.interpol;
  if (!sw.database.isNull()) r.database = sw.database;
  return r;
}

QStringList RunSettings::report() const {
  return {QStringLiteral("ptf_mode=") + QString::number(hymode) + QStringLiteral(" / ") +
              hymode_name(hymode),
          QStringLiteral("pf_wp=") + fmt_general(pf_wp),
          QStringLiteral("pf_fk=") + fmt_general(pf_fk),
          QStringLiteral("soil classes : ") + soil_scheme,
          QStringLiteral("method : ") + methode,
          QStringLiteral("silt from soil class : ") + QString::number(interpol) +
              QStringLiteral("==>") + interpol_name(interpol)};
}

// The calculation's own lines go into its message list (and the report file) as they pass on to
// the caller's feedback; everything else passes straight through.
class Calculation::RunFeedback : public trb::Feedback {
 public:
  RunFeedback(QStringList& messages, trb::Feedback& outer) : messages_(messages), outer_(outer) {}
  void pushLine(Level level, const QString& line) override {
    messages_ << line;
    outer_.pushLine(level, line);
  }
  void setProgress(qint64 pos, qint64 count) override { outer_.setProgress(pos, count); }
  void report(const trb::Error& error) override { outer_.report(error); }
  void cancel() override { outer_.cancel(); }
  bool isCanceled() const override { return outer_.isCanceled(); }
  void resetCanceled() override { outer_.resetCanceled(); }

 private:
  QStringList& messages_;
  trb::Feedback& outer_;
};

void Calculation::log(const QString& line) {
  messages << line;
  feedback_.info(line);
}

void Calculation::runQueryFiles(trb::db::Database& db, bool pre) {
  const bool on = pre ? switches.preprocessing : switches.post_processing;
  if (!on) return;
  const int n = pre ? switches.pre_n : switches.pst_n;
  const auto& files = pre ? switches.pre_proc_arr : switches.pst_proc_arr;
  for (int k = 1; k <= n; ++k) {
    const QString name = files[k];
    if (name.isEmpty() || !QFileInfo::exists(name)) continue;  // missing files are skipped
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
      throw CalcStop(QStringLiteral("cannot read the query file %1").arg(name),
                     QStringLiteral("ERROR"));
    const int count = db.execute(QString::fromUtf8(f.readAll()).trimmed());
    log((pre ? QStringLiteral("preprocessing :") : QStringLiteral("postprocessing :")) + name +
        QStringLiteral("=>") + QString::number(count));
  }
}

void Calculation::run_preprocessing(trb::db::Database& db) { runQueryFiles(db, true); }
void Calculation::run_postprocessing(trb::db::Database& db) { runQueryFiles(db, false); }

// The comparison rows of the selected plots start afresh from their measured soil carbon.
void Calculation::prepareRun(trb::db::Database& db) {
  db.execute(QStringLiteral(
      " DELETE rs_table.*, site_state.status, rs_table.M_IX  FROM site_state "
      " LEFT JOIN rs_table ON site_state.FL_ID = rs_table.FL_ID WHERE site_state.status=1 "));
  const int fresh = db.execute(QStringLiteral(
      " INSERT INTO rs_table (meas_id, FL_ID, M_IX, DAY_, MONTH_, YEAR_, YEAR_NUM, MEAS_VALUE ) "
      " SELECT measurements.meas_id, measurements.FL_ID, measurements.M_IX, measurements.day, "
      "measurements.month,"
      " measurements.year, measurements.year_number, measurements.meas_value "
      " FROM site_state LEFT JOIN measurements ON site_state.FL_ID = measurements.FL_ID "
      " WHERE (((site_state.status)=1) AND ((measurements.M_IX)=7)) "));
  log(QStringLiteral("new recs in RS_TABLE :") + QString::number(fresh));
}

bool Calculation::calculate() {
  running = true;
  assessment = false;
  messages.clear();
  stopReason.clear();
  last.reset();
  bool finished = false;
  RunFeedback run(messages, feedback_);
  try {
    for (const QString& line : settings.report()) log(line);
    // an unknown method stops before anything is changed
    std::unique_ptr<BalanceMethod> method = make_balance_method(settings.methode);
    if (!method)
      throw CalcStop(QStringLiteral("unknown balance method \"%1\"; the methods are TRB, LUFA, "
                                    "KOLBE and NULL")
                         .arg(settings.methode),
                     QStringLiteral("ERROR"));
    trb::db::Database db = trb::db::Database::open(settings.database);
    run_preprocessing(db);

    PreparationSettings prep;
    if (settings.recalc_bat) prep.wmz.read_prm4wmz(db);
    prepareRun(db);
    prep.soil.soil_scheme = settings.soil_scheme;
    prep.soil.hymode = settings.hymode;
    prep.soil.pf_fk = settings.pf_fk;
    prep.soil.pf_wp = settings.pf_wp;
    prep.soil.interpol = settings.interpol;
    prep.bat.recalc_bat = settings.recalc_bat;
    prep.bat.simple_version = settings.simple_version;
    method->prepare_tables(db, prep, run);

    BalanceContext ctx(run);
    ctx.histogram = onPair_;
    ctx.z_anf = z_anf;
    ctx.z_cnt = z_cnt;
    ctx.sim_prot = switches.sim_prot;
    ctx.run_id = switches.run_id;
    const BalanceOutcome outcome = run_balance(db, *method, ctx);
    last = outcome.assessment;
    if (outcome.stopped) {
      stopReason = QStringLiteral("the calculation was stopped");
      log(QStringLiteral("calculation stopped: ") + stopReason);
    } else if (!outcome.finished) {
      stopReason = QStringLiteral("loopback not possible");
    } else {
      run_postprocessing(db);
      log(QStringLiteral("job finished"));
      assessment = true;
      finished = true;
    }
  } catch (const trb::Error& e) {
    // a stop, a problem of the data or a failing statement: shown at once, and in the list
    stopReason = e.text();
    const QString caption = e.caption().isEmpty() ? QStringLiteral("ERROR") : e.caption();
    feedback_.report(trb::Error(e.message(), caption, e.statement()));
    log(QStringLiteral("calculation stopped: ") + e.text());
  }
  // the message list goes to the report file also when the calculation stopped
  // written under a temporary name and renamed: a link of the report's name is replaced, never
  // followed
  const QString report = QDir::current().filePath(reportFile);
  QTemporaryFile f(report + QStringLiteral(".XXXXXX"));
  if (f.open()) {
    {
      QTextStream ts(&f);
      for (const QString& line : messages) ts << line << '\n';
    }
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (f.flush() && std::rename(QFile::encodeName(f.fileName()).constData(),
                                 QFile::encodeName(report).constData()) == 0)
      f.setAutoRemove(false);
  }
  feedback_.setProgress(0, 0);
  feedback_.resetCanceled();
  running = false;
  return finished;
}

}  // namespace trb::engine
