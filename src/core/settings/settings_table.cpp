#include "core/settings/settings_table.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStandardPaths>

namespace trb::settings {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::settings", text);
}

// The R program of a first start: on Windows a placeholder the user replaces, elsewhere R as found
// on the PATH.
QString firstStartRCall() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\path_to_r.exe");
#else
  const QString found = QStandardPaths::findExecutable(QStringLiteral("R"));
  return found.isEmpty() ? QStringLiteral("R") : found;
#endif
}

QList<Setting> buildTable() {
  using E = Editor;
  QList<Setting> t;
  auto add = [&t](QLatin1String key, const char* caption, E editor, QString firstStart,
                  int firstStartOrder) -> Setting& {
    Setting s;
    s.key = key;
    s.caption = caption;
    s.editor = editor;
    s.firstStart = std::move(firstStart);
    s.firstStartOrder = firstStartOrder;
    t << s;
    return t.last();
  };
  // The dialog's values, in its order. database and ppath get their first-start values from the
  // program (the demo database, the working folder).
  add(keys::ppath, "ppath", E::Folder, QString(), 2);
  add(keys::methode, "method", E::Choice, QStringLiteral("TRB"), 3).choices = {
      {QStringLiteral("TRB"), QStringLiteral("TRB")},
      {QStringLiteral("LUFA"), QStringLiteral("LUFA")},
      {QStringLiteral("KOLBE"), QStringLiteral("KOLBE")},
      {QStringLiteral("NULL"), QStringLiteral("NULL")}};
  add(keys::database, "database", E::File, QString(), 1);
  add(keys::soil_scheme, "soil scheme", E::Choice, QStringLiteral("RBS"), 10).choices = {
      {QStringLiteral("RBS"), QStringLiteral("RBS")},
      {QStringLiteral("KA4"), QStringLiteral("KA4")}};
  // pF values are stored times ten ("42" is pF 4.2); pF runs from 0 (saturated) to 7 (oven-dry).
  Setting& wp = add(keys::pf_wp, "pF WP", E::Number, QStringLiteral("42"), 5);
  wp.minimum = 0;
  wp.maximum = 70;
  Setting& fk = add(keys::pf_fk, "pF FK", E::Number, QStringLiteral("18"), 4);
  fk.minimum = 0;
  fk.maximum = 70;
  add(keys::ptfmode, "ptf mode", E::Choice, QStringLiteral("3"), 6).choices = {
      {QStringLiteral("1"), QStringLiteral("Brooks/Corey")},
      {QStringLiteral("2"), QStringLiteral("Vereecken")},
      {QStringLiteral("3"), QStringLiteral("Lieberoth")},
      {QStringLiteral("4"), QStringLiteral("Zacharias")}};
  add(keys::r_call, "R call", E::File, firstStartRCall(), 7);
  add(keys::r_result, "R result", E::Text, QStringLiteral("anyname.txt"), 9);
  add(keys::r_script, "R script", E::Text, QStringLiteral("anyscript.r"), 8).hidden = true;
  Setting& bat = add(keys::recalc_bat, "BAT recalc", E::Flag, QStringLiteral("1"), 11);
  bat.storedAsInteger = true;
  // Not written at the first start: while empty, the desktop's opener shows a PDF file.
  add(keys::pdf_reader, "PDF-reader", E::File, QStringLiteral("xdg-open"), 0);
  add(keys::pdf_dir, "pdf dir", E::Folder, QString(), 0);
  // The version page and the download folder of the update check; no default, so that nothing is
  // contacted until the user names them.
  add(keys::update_page, nullptr, E::Text, QString(), 0);
  add(keys::update_folder, nullptr, E::Text, QString(), 0);

  // Kept in the store, not in the dialog.
  add(keys::power, nullptr, E::Flag, QStringLiteral("0"), 12).storedAsInteger = true;
  add(keys::language, nullptr, E::Text, QStringLiteral("D"), 13);
  add(keys::provider, nullptr, E::Text, QString(), 0);
  add(keys::sp_a_sql, nullptr, E::File, QString(), 0);
  add(keys::sp_a_r, nullptr, E::File, QString(), 0);
  add(keys::regmode, nullptr, E::Choice, QString(), 0).choices = {
      {QStringLiteral("REG"), QStringLiteral("REG")},
      {QStringLiteral("LOC"), QStringLiteral("LOC")}};
  // The threads that compute the plots of a calculation: 0 follows the machine's cores, 1 is a
  // run on one thread; the switch WORKERS= overrides it for one run.
  Setting& workers = add(keys::workers, nullptr, E::Number, QStringLiteral("0"), 0);
  workers.storedAsInteger = true;
  workers.minimum = 0;
  workers.maximum = kMaxWorkers;

  // A run value of the switch I= alone.
  Setting& interpol = add(keys::interpol, nullptr, E::Choice, QStringLiteral("0"), 0);
  interpol.stored = false;
  interpol.choices = {{QStringLiteral("-1"), QStringLiteral("min")},
                      {QStringLiteral("0"), QStringLiteral("mean")},
                      {QStringLiteral("1"), QStringLiteral("max")}};
  return t;
}

}  // namespace

QString Setting::choiceCaption(const QString& value) const {
  for (const Choice& c : choices)
    if (c.value == value) return c.caption;
  return QString();
}

QStringList Setting::choiceValues() const {
  QStringList out;
  for (const Choice& c : choices) out << c.value;
  return out;
}

const QList<Setting>& table() {
  static const QList<Setting> t = buildTable();
  return t;
}

const Setting& setting(QLatin1String key) {
  for (const Setting& s : table())
    if (s.key == key) return s;
  throw trb::Error(QStringLiteral("no setting named \"%1\"").arg(key));
}

QList<const Setting*> dialogSettings() {
  QList<const Setting*> out;
  for (const Setting& s : table())
    if (s.inDialog()) out << &s;
  return out;
}

void checkValue(const Setting& s, const QString& text) {
  const QString field = QString::fromLatin1(s.caption ? s.caption : s.key.data());
  const QString caption = tr("TRB settings");
  if (s.storedAsInteger) {
    bool ok = false;
    text.trimmed().toInt(&ok);
    if (!ok)
      throw InvalidSetting(s.key, tr("\"%1\": \"%2\" is not a whole number.").arg(field, text),
                           caption);
  }
  switch (s.editor) {
    case Editor::Number: {
      bool ok = false;
      const double v = QLocale::c().toDouble(text.trimmed(), &ok);
      if (!ok)
        throw InvalidSetting(s.key, tr("\"%1\": \"%2\" is not a number.").arg(field, text),
                             caption);
      if (v < s.minimum || v > s.maximum)
        throw InvalidSetting(
            s.key,
            tr("\"%1\": %2 is outside the allowed range %3 to %4.")
                .arg(field, text.trimmed(), QString::number(s.minimum), QString::number(s.maximum)),
            caption);
      break;
    }
    case Editor::Choice:
      if (!s.choiceValues().contains(text))
        throw InvalidSetting(s.key,
                             tr("\"%1\": \"%2\" is none of %3.")
                                 .arg(field, text, s.choiceValues().join(QStringLiteral(", "))),
                             caption);
      break;
    default:
      break;
  }
}

}  // namespace trb::settings
