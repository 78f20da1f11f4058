// Prepared statements and bulk readers talk to SQLite directly; what they store and read must be
// exactly what the Qt driver stores and reads for the same values.
#include <QtTest>

#include "core/db/database.h"
#include "testutil.h"

class TstStatement : public QObject {
  Q_OBJECT

 private slots:
  // A value bound by a prepared statement is stored with the same type and value as the same
  // value bound to a query (an untyped column keeps what it is given).
  void bindsAsTheDriver_data() {
    QTest::addColumn<QVariant>("value");
    QTest::newRow("int") << QVariant(-7);
    QTest::newRow("qlonglong") << QVariant(qlonglong(1) << 40);
    QTest::newRow("uint") << QVariant(4000000000u);
    QTest::newRow("double") << QVariant(0.1);
    QTest::newRow("missing") << QVariant(-99.9999);
    QTest::newRow("float") << QVariant(1.5f);
    QTest::newRow("true is -1") << QVariant(true);
    QTest::newRow("false") << QVariant(false);
    QTest::newRow("text") << QVariant(QStringLiteral("Löss-Schwarzerde"));
    QTest::newRow("empty text") << QVariant(QStringLiteral(""));
    QTest::newRow("null text") << QVariant(QString());
    QTest::newRow("invalid") << QVariant();
    QTest::newRow("bytes") << QVariant(QByteArray("a\0b", 3));
    QTest::newRow("date") << QVariant(QDate(1995, 1, 31));
    QTest::newRow("date and time") << QVariant(QDateTime(QDate(1995, 1, 31), QTime(8, 5, 3, 7)));
    QTest::newRow("invalid date and time") << QVariant(QDateTime());
  }
  void bindsAsTheDriver() {
    QFETCH(QVariant, value);
    trb::test::TempDb t(QStringLiteral("empty"));
    t.db.runNative(QStringLiteral("CREATE TABLE t (k INTEGER, v)"));
    t.db.execute(QStringLiteral("INSERT INTO t (k, v) VALUES (1, ?)"), {value});
    trb::db::Statement st(t.db, QStringLiteral("INSERT INTO t (k, v) VALUES (2, ?)"));
    QCOMPARE(st.exec({value}), 1);
    // the engine's own view of what is stored (its functions are not part of the dialect)
    QSqlQuery q(t.db.qt());
    QVERIFY(q.exec(QStringLiteral("SELECT typeof(v), quote(v) FROM t ORDER BY k")));
    QVERIFY(q.next());
    const QString type = q.value(0).toString(), stored = q.value(1).toString();
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), type);
    QCOMPARE(q.value(1).toString(), stored);
  }

  // The typed binding of a writer stores what exec stores for the same value, also where the
  // write into an integer column rounds it; the values stay bound from one run to the next.
  void typedBindingStoresAsExec_data() {
    QTest::addColumn<QVariant>("value");
    QTest::newRow("empty") << QVariant();
    QTest::newRow("whole") << QVariant(qlonglong(-3000000000));
    QTest::newRow("half to even") << QVariant(2.5);
    QTest::newRow("fraction") << QVariant(-99.9999);
    QTest::newRow("text") << QVariant(QStringLiteral(" 12_ 1990"));
  }
  void typedBindingStoresAsExec() {
    QFETCH(QVariant, value);
    trb::test::TempDb t(QStringLiteral("empty"));
    t.db.runNative(QStringLiteral("CREATE TABLE t (k INTEGER, i INTEGER, r REAL, u)"));
    const QString sql = QStringLiteral("INSERT INTO t (k, i, r, u) VALUES (?, ?, ?, ?)");
    trb::db::Statement st(t.db, sql);
    QCOMPARE(st.exec({1, value, value, value}), 1);
    for (int pos = 2; pos <= 4; ++pos) {
      if (value.isNull())
        st.bindNull(pos);
      else if (value.typeId() == QMetaType::LongLong)
        st.bindInt(pos, value.toLongLong());
      else if (value.typeId() == QMetaType::Double)
        st.bindDouble(pos, value.toDouble());
      else
        st.bindVariant(pos, value);
    }
    st.bindInt(1, 2);
    QCOMPARE(st.run(), 1);
    st.bindInt(1, 3);
    QCOMPARE(st.run(), 1);
    QSqlQuery q(t.db.qt());
    QVERIFY(q.exec(QStringLiteral(
        "SELECT typeof(i), quote(i), typeof(r), quote(r), typeof(u), quote(u) FROM t ORDER BY k")));
    QVERIFY(q.next());
    QStringList first;
    for (int c = 0; c < 6; ++c) first << q.value(c).toString();
    for (int k = 2; k <= 3; ++k) {
      QVERIFY(q.next());
      for (int c = 0; c < 6; ++c) QCOMPARE(q.value(c).toString(), first.at(c));
    }
    // a position the statement does not have fails, naming the statement
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, st.bindInt(5, 1));
    t.db.close();
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, st.bindInt(1, 4));
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, st.run());
  }

  // Every accessor of a reader gives what QSqlQuery::value and its conversion give.
  void readsAsTheDriver() {
    trb::test::TempDb t(QStringLiteral("empty"));
    t.db.runNative(QStringLiteral(
        "CREATE TABLE t (k INTEGER, v);"
        "INSERT INTO t VALUES (1, 42), (2, -3000000000), (3, 2.5), (4, -99.9999), (5, 1e300),"
        " (6, '12.5'), (7, ' 3 '), (8, 'abc'), (9, '7x'), (10, NULL), (11, x'4142'),"
        " (12, 'Löss'), (13, ''), (14, 3.5), (15, -2.5)"));
    const QString sql = QStringLiteral("SELECT k, v FROM t ORDER BY k");
    QSqlQuery q = t.db.query(sql);
    trb::db::Reader r(t.db, sql);
    QCOMPARE(r.indexOf(QStringLiteral("V")), 1);
    QCOMPARE(r.indexOf(QStringLiteral("w")), -1);
    int rows = 0;
    while (q.next()) {
      QVERIFY(r.next());
      const QVariant v = q.value(1);
      const QString row = QStringLiteral("k=%1").arg(q.value(0).toInt());
      QVERIFY2(r.isNull(1) == v.isNull(), qPrintable(row));
      QVERIFY2(r.value(1) == v && r.value(1).typeId() == v.typeId(), qPrintable(row));
      QVERIFY2(r.toLongLong(1) == v.toLongLong(), qPrintable(row));
      QVERIFY2(r.toString(1) == v.toString() && r.toString(1).isNull() == v.toString().isNull(),
               qPrintable(row));
      const double d = r.toDouble(1), e = v.toDouble();
      QVERIFY2(std::memcmp(&d, &e, sizeof d) == 0, qPrintable(row));
      ++rows;
    }
    QVERIFY(!r.next());
    QVERIFY(!r.next());  // stays at the end rather than reading again
    QCOMPARE(rows, 15);
    // an absent column reads as empty
    QVERIFY(r.isNull(-1));
    QCOMPARE(r.toDouble(-1), 0.0);
  }

  // Wrong use fails with the statement named, and closing the database ends its statements.
  void failures() {
    trb::test::TempDb t(QStringLiteral("empty"));
    t.db.runNative(QStringLiteral("CREATE TABLE t (k INTEGER PRIMARY KEY, v)"));
    trb::db::Statement st(t.db, QStringLiteral("INSERT INTO t (k, v) VALUES (?, ?)"));
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, st.exec({1}));
    QCOMPARE(st.exec({1, 2}), 1);
    try {
      st.exec({1, 3});
      QFAIL("a second row with the same key was stored");
    } catch (const trb::db::DbError& e) {
      QVERIFY(e.statement().contains(QStringLiteral("INSERT INTO t")));
      QVERIFY(e.engineMessage().contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive));
    }
    QCOMPARE(st.exec({2, 3}), 1);  // usable again after a failure
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError,
                             trb::db::Statement(t.db, QStringLiteral("SELECT 1; SELECT 2")));
    trb::db::Reader r(t.db, QStringLiteral("SELECT k FROM t"));
    t.db.close();
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError, st.exec({3, 4}));
    QVERIFY(!r.next());
  }
};

QTEST_GUILESS_MAIN(TstStatement)
#include "tst_statement.moc"
