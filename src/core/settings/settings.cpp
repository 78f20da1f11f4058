#include "core/settings/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStringList>
#include <algorithm>

#include "core/base/error.h"

namespace trb::settings {

namespace {

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

QString defaultDatabasePath(const QString& exeDir) {
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

std::optional<double> readNumber(const QSettings& store, const QString& name) {
  bool ok = false;
  const double v = QLocale::c().toDouble(readText(store, name).trimmed(), &ok);
  if (!ok) return std::nullopt;
  return v;
}

void writeFirstStartDefaults(QSettings& store, const QString& database, const QString& ppath) {
  QList<const Setting*> order;
  for (const Setting& s : table())
    if (s.firstStartOrder > 0) order << &s;
  std::sort(order.begin(), order.end(), [](const Setting* a, const Setting* b) {
    return a->firstStartOrder < b->firstStartOrder;
  });
  for (const Setting* s : order) {
    const QString value = s->key == keys::database ? database
                          : s->key == keys::ppath  ? ppath
                                                   : s->firstStart;
    if (s->storedAsInteger)
      writeInt(store, s->key, value.toInt());
    else
      writeText(store, s->key, value);
  }
}

void read_registry(QSettings& store, DialogValues& values) {
  store.sync();  // see what other modules wrote since this store was opened
  for (const Setting* s : dialogSettings()) {
    if (!s->storedAsInteger) {
      values.insert(s->key, readText(store, s->key));
      continue;
    }
    int i = 0;
    if (!readInt(store, s->key, i)) {
      const QString caption = QCoreApplication::translate("trb::settings", "TRB settings");
      throw trb::Error(store.contains(s->key)
                           ? QStringLiteral("Invalid data type for '%1'").arg(s->key)
                           : QStringLiteral("Failed to get data for '%1'").arg(s->key),
                       caption);
    }
    values.insert(s->key, QString::number(i));
  }
}

void checkDialogValues(const DialogValues& values) {
  for (const Setting* s : dialogSettings())
    if (!s->hidden) checkValue(*s, values.value(s->key));
}

void write_registry(QSettings& store, const DialogValues& values) {
  for (const Setting* s : dialogSettings()) {
    const QString value = values.value(s->key);
    if (s->storedAsInteger) {
      checkValue(*s, value);
      writeInt(store, s->key, value.trimmed().toInt());
    } else {
      writeText(store, s->key, value);
    }
  }
}

}  // namespace trb::settings
