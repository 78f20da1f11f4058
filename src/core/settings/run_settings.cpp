#include "core/settings/run_settings.h"

#include <QDir>
#include <QSettings>
#include <QThread>
#include <algorithm>

#include "core/db/numbers.h"
#include "core/settings/settings.h"

namespace trb::settings {

namespace {

const QString& firstStart(QLatin1String key) {
  return setting(key).firstStart;
}

}  // namespace

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
    if (a.startsWith(QStringLiteral("WORKERS="))) {
      bool ok = false;
      const int n = a.mid(8).trimmed().toInt(&ok);
      s.workers = ok && n >= 0 && n <= kMaxWorkers ? n : -1;
    }
  }
  return s;
}

RunSettings::RunSettings()
    : ptfmode(firstStart(keys::ptfmode).toInt()),
      pf_wp(firstStart(keys::pf_wp).toDouble() / 10.0),
      pf_fk(firstStart(keys::pf_fk).toDouble() / 10.0),
      recalc_bat(firstStart(keys::recalc_bat).toInt() != 0),
      soil_scheme(firstStart(keys::soil_scheme)),
      methode(firstStart(keys::methode)),
      interpol(firstStart(keys::interpol).toInt()),
      workers(firstStart(keys::workers).toInt()) {}

RunSettings RunSettings::read(const QSettings& store, const SimSwitches& sw,
                              const QString& currentDatabase) {
  RunSettings r;
  r.database = currentDatabase;
  if (!storeExists(store)) {
    if (r.database == u"?") r.database = QDir::current().filePath(QStringLiteral("trb_data.mdb"));
  } else {
    if (r.database == u"?") r.database = readText(store, keys::database);
    int i = 0;
    if (readInt(store, keys::ptfmode, i)) r.ptfmode = i;
    if (const auto wp = readNumber(store, keys::pf_wp)) r.pf_wp = *wp / 10.0;
    if (const auto fk = readNumber(store, keys::pf_fk)) r.pf_fk = *fk / 10.0;
    if (readInt(store, keys::recalc_bat, i)) r.recalc_bat = i != 0;
    r.soil_scheme = readText(store, keys::soil_scheme);
    r.methode = readText(store, keys::methode);
    r.r_call = readText(store, keys::r_call);
    r.r_script = readText(store, keys::r_script);
    r.r_result = readText(store, keys::r_result);
    if (readInt(store, keys::workers, i) && i >= 0 && i <= kMaxWorkers) r.workers = i;
  }
  if (sw.has_bat) r.recalc_bat = sw.recalc_bat;
  r.simple_version = sw.simple_version;
  if (!sw.methode.isNull()) r.methode = sw.methode;
  if (!sw.soil_scheme.isNull()) r.soil_scheme = sw.soil_scheme;
  if (sw.has_interpol) r.interpol = sw.interpol;
  if (!sw.database.isNull()) r.database = sw.database;
  if (sw.workers >= 0) r.workers = sw.workers;
  return r;
}

int RunSettings::workerThreads() const {
  return workers > 0 ? workers : std::max(1, QThread::idealThreadCount());
}

QStringList RunSettings::report() const {
  const QString ptfName = setting(keys::ptfmode).choiceCaption(QString::number(ptfmode));
  const QString siltName = setting(keys::interpol).choiceCaption(QString::number(interpol));
  return {QStringLiteral("ptf_mode=") + QString::number(ptfmode) + QStringLiteral(" / ") + ptfName,
          QStringLiteral("pf_wp=") + trb::fmt_general(pf_wp),
          QStringLiteral("pf_fk=") + trb::fmt_general(pf_fk),
          QStringLiteral("soil classes : ") + soil_scheme,
          QStringLiteral("method : ") + methode,
          QStringLiteral("silt from soil class : ") + QString::number(interpol) +
              QStringLiteral("==>") + siltName};
}

}  // namespace trb::settings
