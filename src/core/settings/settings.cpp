#include "core/settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>

namespace trb::settings {

namespace {

QString notAnInteger(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

// Whole numbers as the store holds them ("1", " 0 "); no fraction, no exponent.
bool toInteger(const QString& text, int& out) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok) out = v;
  return ok;
}

}  // namespace

std::unique_ptr<QSettings> openStore() {
#ifdef Q_OS_WIN
  return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\trb"),
                                     QSettings::NativeFormat);
#else
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("trb"), QStringLiteral("trb"));
#endif
}

bool storeExists(const QSettings& store) {
  return !store.allKeys().isEmpty();
}

QString default_database_path(const QString& exeDir) {
  const QDir dir(exeDir.isEmpty() ? QCoreApplication::applicationDirPath() : exeDir);
  for (const char* rel :
       {"demo/trb_demo.sqlite", "../demo/trb_demo.sqlite", "../../demo/trb_demo.sqlite"}) {
    const QFileInfo fi(dir.filePath(QString::fromLatin1(rel)));
    if (fi.isFile()) return QDir::cleanPath(fi.absoluteFilePath());
  }
  return QString();
}

QString readText(const QSettings& store, const QString& name) {
  const QVariant v = store.value(name);
  // An INI value with an unquoted comma comes back as a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(u',');
  return v.toString();
}

bool readInt(const QSettings& store, const QString& name, int& out) {
  const QVariant v = store.value(name);
  if (!v.isValid()) return false;
  if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::UInt ||
      v.typeId() == QMetaType::LongLong) {
    out = v.toInt();
    return true;
  }
  return toInteger(readText(store, name), out);
}

void writeText(QSettings& store, const QString& name, const QString& value) {
  store.setValue(name, value);
  store.sync();
}

void writeInt(QSettings& store, const QString& name, int value) {
  store.setValue(name, value);
  store.sync();
}

void writeFirstStartDefaults(QSettings& store, const QString& database, const QString& ppath) {
  writeText(store, QStringLiteral("database"), database);
  writeText(store, QStringLiteral("ppath"), ppath);
  writeText(store, QStringLiteral("methode"), QStringLiteral("TRB"));
  writeText(store, QStringLiteral("pf_fk"), QStringLiteral("18"));
  writeText(store, QStringLiteral("pf_wp"), QStringLiteral("42"));
  writeText(store, QStringLiteral("ptfmode"), QStringLiteral("3"));
  writeText(store, QStringLiteral("r_call"), QStringLiteral("c:\\path_to_r.exe"));
  writeText(store, QStringLiteral("r_script"), QStringLiteral("anyscript.r"));
  writeText(store, QStringLiteral("r_result"), QStringLiteral("anyname.txt"));
  writeText(store, QStringLiteral("soil_scheme"), QStringLiteral("RBS"));
  writeInt(store, QStringLiteral("recalc_bat"), 1);
  writeInt(store, QStringLiteral("power"), 0);
  writeText(store, QStringLiteral("language"), QStringLiteral("D"));
}

QString read_registry(QSettings& store, RegistryValues& v) {
  store.sync();  // see what other modules wrote since this store was opened
  v.ppath = readText(store, QStringLiteral("ppath"));
  v.methode = readText(store, QStringLiteral("methode"));
  v.database = readText(store, QStringLiteral("database"));
  v.soil_scheme = readText(store, QStringLiteral("soil_scheme"));
  v.pf_wp = readText(store, QStringLiteral("pf_wp"));
  v.pf_fk = readText(store, QStringLiteral("pf_fk"));
  v.ptfmode = readText(store, QStringLiteral("ptfmode"));
  v.r_call = readText(store, QStringLiteral("r_call"));
  v.r_result = readText(store, QStringLiteral("r_result"));
  v.r_script = readText(store, QStringLiteral("r_script"));
  int bat = 0;
  if (!readInt(store, QStringLiteral("recalc_bat"), bat)) {
    return store.contains(QStringLiteral("recalc_bat"))
               ? QStringLiteral("Invalid data type for 'recalc_bat'")
               : QStringLiteral("Failed to get data for 'recalc_bat'");
  }
  v.recalc_bat = QString::number(bat);
  v.pdf_reader = readText(store, QStringLiteral("pdf_reader"));
  v.pdf_dir = readText(store, QStringLiteral("pdf_dir"));
  return QString();
}

QString write_registry(QSettings& store, const RegistryValues& v) {
  writeText(store, QStringLiteral("ppath"), v.ppath);
  writeText(store, QStringLiteral("methode"), v.methode);
  writeText(store, QStringLiteral("database"), v.database);
  writeText(store, QStringLiteral("soil_scheme"), v.soil_scheme);
  writeText(store, QStringLiteral("pf_wp"), v.pf_wp);
  writeText(store, QStringLiteral("pf_fk"), v.pf_fk);
  writeText(store, QStringLiteral("ptfmode"), v.ptfmode);
  writeText(store, QStringLiteral("r_call"), v.r_call);
  writeText(store, QStringLiteral("r_result"), v.r_result);
  writeText(store, QStringLiteral("r_script"), v.r_script);
  int bat = 0;
  if (!toInteger(v.recalc_bat, bat)) return notAnInteger(v.recalc_bat);
  writeInt(store, QStringLiteral("recalc_bat"), bat);
  writeText(store, QStringLiteral("pdf_reader"), v.pdf_reader);
  writeText(store, QStringLiteral("pdf_dir"), v.pdf_dir);
  return QString();
}

SimulatorSettings readSimulatorSettings(const QSettings& store, const QString& currentDatabase) {
  SimulatorSettings s;
  s.database = currentDatabase;
  if (!storeExists(store)) {
    if (s.database == u"?") s.database = QDir::current().filePath(QStringLiteral("trb_data.mdb"));
    return s;
  }
  if (s.database == u"?") s.database = readText(store, QStringLiteral("database"));
  int i = 0;
  if (readInt(store, QStringLiteral("ptfmode"), i)) s.hymode = i;
  // pF values are stored times ten: "42" is 4.2.
  bool ok = false;
  const double wp = QLocale::c().toDouble(readText(store, QStringLiteral("pf_wp")).trimmed(), &ok);
  if (ok) s.pf_wp = wp / 10.0;
  const double fk = QLocale::c().toDouble(readText(store, QStringLiteral("pf_fk")).trimmed(), &ok);
  if (ok) s.pf_fk = fk / 10.0;
  if (readInt(store, QStringLiteral("recalc_bat"), i)) s.recalc_bat = i != 0;
  s.soil_scheme = readText(store, QStringLiteral("soil_scheme"));
  s.methode = readText(store, QStringLiteral("methode"));
  s.r_call = readText(store, QStringLiteral("r_call"));
  s.r_script = readText(store, QStringLiteral("r_script"));
  s.r_result = readText(store, QStringLiteral("r_result"));
  return s;
}

}  // namespace trb::settings
