// trbdb fit-start and trbdb steady-state on a calculated demo database, as a script runs them.
#include <QFile>
#include <QtTest>

#include "cli/cli_run.h"
#include "core/db/numbers.h"
#include "testutil.h"

using trb::test::Run;
using trb::test::run;

namespace {

// The rows of a table that a condition selects, as text lines.
QStringList rows(const QString& path, const QString& table, const QString& where) {
  trb::db::Database db = trb::db::Database::open(path);
  QStringList lines;
  QSqlQuery q =
      db.query(QStringLiteral("select * from %1 where %2 order by rowid").arg(table, where));
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
    lines << cells.join(u'|');
  }
  return lines;
}

// The dump of every table except those named.
QStringList dumpWithout(const QString& path, const QStringList& tables) {
  QStringList lines = trb::test::dump(path);
  lines.removeIf([&](const QString& l) {
    return tables.contains(l.section(u'|', 0, 0), Qt::CaseInsensitive);
  });
  return lines;
}

}  // namespace

class TstStartStateCommands : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString calculated_;  // the demo, calculated; every test works on a copy

  Run trbdb(const QStringList& args) { return run(QStringLiteral(TRB_TRBDB), args, dir_.path()); }

  QString copy(const QString& name) {
    const QString path = dir_.filePath(name);
    QFile::remove(path);
    if (!QFile::copy(calculated_, path)) return QString();
    return path;
  }

 private slots:
  void initTestCase() {
    calculated_ = dir_.filePath(QStringLiteral("demo.sqlite"));
    QCOMPARE(trbdb({QStringLiteral("create"), calculated_, QStringLiteral("--demo")}).code, 0);
    const Run r = run(
        QStringLiteral(TRB_TRBSIM),
        {QStringLiteral("DB=") + calculated_, QStringLiteral("go"), QStringLiteral("--select-all")},
        dir_.path());
    QCOMPARE(r.code, 0);
  }

  // Without --write nothing changes; with it only the plots' kind -1 rows take the printed
  // values and their comparison rows go.
  void fitStart() {
    const QString db = copy(QStringLiteral("fit.sqlite"));
    const QStringList before = trb::test::dump(db);
    const QStringList plots{QStringLiteral("fit-start"), db, QStringLiteral("--plots"),
                            QStringLiteral("3,1")};
    Run r = trbdb(plots);
    QCOMPARE(r.code, 0);
    QCOMPARE(trb::test::dump(db), before);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("FL_ID\tnon_bal\tRMSE before\tRMSE after\tpairs"));
    QCOMPARE(lines[1].section(u'\t', 0, 0), QStringLiteral("3"));
    QCOMPARE(lines[2].section(u'\t', 0, 0), QStringLiteral("1"));
    for (const QString& line : lines.mid(1)) {
      const QStringList f = line.split(u'\t');
      QVERIFY(f.size() == 5 || (f.size() == 6 && f[5] == u"on bound"));
      QVERIFY(f[3].toDouble() <= f[2].toDouble());
      QVERIFY(f[4].toInt() >= 2);
    }

    r = trbdb(plots + QStringList{QStringLiteral("--write")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, lines.join(u'\n') + u'\n');
    const QStringList others{QStringLiteral("measurements"), QStringLiteral("rs_table")};
    QCOMPARE(dumpWithout(db, others), dumpWithout(calculated_, others));
    const QString notWritten = QStringLiteral("not (m_ix=-1 and fl_id in (1, 3))");
    QCOMPARE(rows(db, QStringLiteral("measurements"), notWritten),
             rows(calculated_, QStringLiteral("measurements"), notWritten));
    for (const QString& line : lines.mid(1)) {
      const QString plot = line.section(u'\t', 0, 0);
      QCOMPARE(rows(db, QStringLiteral("measurements"), QStringLiteral("m_ix=-1 and fl_id=") + plot)
                   .size(),
               1);
      QCOMPARE(trb::db::Database::open(db)
                   .scalar(QStringLiteral("select meas_value from measurements where m_ix=-1 and "
                                          "fl_id=") +
                           plot)
                   .toDouble(),
               line.section(u'\t', 1, 1).toDouble());
    }
    QCOMPARE(rows(db, QStringLiteral("rs_table"), QStringLiteral("fl_id in (1, 3)")).size(), 0);
    const QString kept = QStringLiteral("fl_id not in (1, 3)");
    QCOMPARE(rows(db, QStringLiteral("rs_table"), kept),
             rows(calculated_, QStringLiteral("rs_table"), kept));
  }

  // A refused plot goes to standard error and makes the exit code 1; the others are printed.
  void steadyState() {
    const QString db = copy(QStringLiteral("level.sqlite"));
    Run r = trbdb({QStringLiteral("steady-state"), db, QStringLiteral("--plots"),
                   QStringLiteral("1,77"), QStringLiteral("--years"), QStringLiteral("1990-2010"),
                   QStringLiteral("--workers"), QStringLiteral("2")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("trbdb steady-state: FL_ID 77: ")), qPrintable(r.err));
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    const QStringList f = lines[1].split(u'\t');
    QCOMPARE(f.size(), 9);
    QCOMPARE(f[0], QStringLiteral("1"));
    QCOMPARE(f[1], QStringLiteral("1990-2010"));
    QVERIFY(f[2].toInt() > 1);
    QCOMPARE(f[5], QStringLiteral("1.74"));
    QVERIFY(std::abs(f[7].toDouble() - (1.74 - f[3].toDouble())) < 2e-6);

    QCOMPARE(trbdb({QStringLiteral("steady-state"), db, QStringLiteral("--plots"),
                    QStringLiteral("1"), QStringLiteral("--years"), QStringLiteral("1990")})
                 .code,
             2);
    QCOMPARE(trbdb({QStringLiteral("fit-start"), db}).code, 2);
  }
};

QTEST_GUILESS_MAIN(TstStartStateCommands)
#include "tst_start_state_commands.moc"
