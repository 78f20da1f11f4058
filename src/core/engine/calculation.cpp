#include "core/engine/calculation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

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

namespace trb::engine {

void Calculation::log(const QString& line) {
  messages << line;
  if (cb_.log) cb_.log(line);
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

void Calculation::checkStop() {
  if (stop_) throw CalcStop(QStringLiteral("the calculation was stopped"), QStringLiteral("trb"));
}

bool Calculation::calculate() {
  // a stop asked before the run got going still holds; it is cleared when the run ends
  running = true;
  assessment = false;
  messages.clear();
  stopReason.clear();
  last.reset();
  bool finished = false;
  try {
    for (const QString& line : settings.report()) log(line);
    // an unknown method stops before anything is changed
    if (!methods().contains(settings.methode))
      throw CalcStop(QStringLiteral("unknown balance method \"%1\"; the methods are TRB, LUFA, "
                                    "KOLBE and NULL")
                         .arg(settings.methode),
                     QStringLiteral("ERROR"));
    trb::db::Database db = trb::db::Database::open(settings.database);
    run_preprocessing(db);

    WmzTable wmz;
    if (settings.recalc_bat) wmz.read_prm4wmz(db);

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

    auto logFn = [this](const QString& s) { log(s); };
    SoilOptions soil;
    soil.soil_scheme = settings.soil_scheme;
    soil.hymode = settings.ptfmode;
    soil.pf_fk = settings.pf_fk;
    soil.pf_wp = settings.pf_wp;
    soil.interpol = settings.interpol;
    const QString& methode = settings.methode;
    std::unique_ptr<BalanceMethod> method;
    if (methode == u"TRB") {
      checkStop();
      update_sim_quantities(db, logFn);
      checkStop();
      build_crep_year(db, logFn);
      checkStop();
      build_opstab(db, logFn);
      checkStop();
      build_soil_table(db, soil, SoilSinks{logFn, cb_.progress});
      BatOptions bat;
      bat.recalc_bat = settings.recalc_bat;
      bat.simple_version = settings.simple_version;
      checkStop();
      build_tmp_bat(db, wmz, bat, logFn, cb_.progress);
      method = std::make_unique<TrbMethod>();
    } else if (methode == u"KOLBE") {
      checkStop();
      build_soil_table(db, soil, SoilSinks{logFn, cb_.progress});
      checkStop();
      build_site_groups(db, logFn);
      build_hum_manda(db);
      method = std::make_unique<KolbeMethod>();
    } else {  // "LUFA" and "NULL"
      checkStop();
      build_hubi_tables(db, logFn);
      checkStop();
      build_soil_table(db, soil, SoilSinks{logFn, cb_.progress});
      if (methode == u"LUFA")
        method = std::make_unique<LufaMethod>();
      else
        method = std::make_unique<NullMethod>();
    }

    BalanceContext ctx;
    ctx.log = logFn;
    ctx.message = cb_.message;
    ctx.progress = cb_.progress;
    ctx.histogram = cb_.histogram;
    ctx.z_anf = z_anf;
    ctx.z_cnt = z_cnt;
    ctx.sim_prot = switches.sim_prot;
    ctx.run_id = switches.run_id;
    ctx.stop_requested = [this] { return stop_.load(); };
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
  } catch (const CalcStop& e) {
    stopReason = e.message();
    if (cb_.message) cb_.message(e.message(), e.caption());
    log(QStringLiteral("calculation stopped: ") + e.message());
  } catch (const trb::db::DbError& e) {
    stopReason = e.text();
    if (cb_.message) cb_.message(e.text(), QStringLiteral("ERROR"));
    log(QStringLiteral("calculation stopped: ") + e.text());
  }
  // the message list goes to the report file also when the calculation stopped
  QFile f(QDir::current().filePath(reportFile));
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
    QTextStream ts(&f);
    for (const QString& line : messages) ts << line << '\n';
  }
  if (cb_.progress) cb_.progress(0, -1);
  stop_ = false;
  running = false;
  return finished;
}

}  // namespace trb::engine
