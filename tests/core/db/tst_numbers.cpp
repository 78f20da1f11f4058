#include <QtTest>
#include <cfenv>

#include "core/db/numbers.h"

class TstNumbers : public QObject {
  Q_OBJECT
 private slots:
  void roundTo_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("expected");
    QTest::newRow("tie down to even") << 2.5 << 0 << 2.0;
    QTest::newRow("tie up to even") << 3.5 << 0 << 4.0;
    QTest::newRow("negative tie") << -2.5 << 0 << -2.0;
    QTest::newRow("550.5") << 550.5 << 0 << 550.0;
    QTest::newRow("551.5") << 551.5 << 0 << 552.0;
    QTest::newRow("three decimals") << 44.4809876 << 3 << 44.481;
    QTest::newRow("six decimals") << 0.0123456789 << 6 << 0.012346;
  }
  void roundTo() {
    QFETCH(double, x);
    QFETCH(int, n);
    QFETCH(double, expected);
    QCOMPARE(trb::round_to(x, n), expected);
  }

  // Ties go to even whatever rounding mode the program set, and that mode is left as it was.
  void roundHalfEvenUnderAnyMode_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("to nearest") << FE_TONEAREST;
    QTest::newRow("upward") << FE_UPWARD;
    QTest::newRow("toward zero") << FE_TOWARDZERO;
  }
  void roundHalfEvenUnderAnyMode() {
    QFETCH(int, mode);
    const int saved = std::fegetround();
    std::fesetround(mode);
    const double r[] = {trb::round_half_even(2.5), trb::round_half_even(3.5),
                        trb::round_half_even(-2.5), trb::round_half_even(-0.6),
                        trb::round_half_even(12.4)};
    const int after = std::fegetround();
    std::fesetround(saved);
    QCOMPARE(after, mode);
    QCOMPARE(r[0], 2.0);
    QCOMPARE(r[1], 4.0);
    QCOMPARE(r[2], -2.0);
    QCOMPARE(r[3], -1.0);
    QCOMPARE(r[4], 12.0);
  }

  void general_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<QString>("point");
    QTest::addColumn<QString>("comma");
    QTest::newRow("integer") << 42.0 << "42"
                             << "42";
    QTest::newRow("fraction") << 3.25 << "3.25"
                              << "3,25";
    QTest::newRow("15 digits") << 1.0 / 3.0 << "0.333333333333333"
                               << "0,333333333333333";
    QTest::newRow("negative") << -0.5 << "-0.5"
                              << "-0,5";
    QTest::newRow("small") << 0.00001 << "0.00001"
                           << "0,00001";
    QTest::newRow("tiny") << 0.000001 << "1E-6"
                          << "1E-6";
    QTest::newRow("large") << 1.5e20 << "1.5E20"
                           << "1,5E20";
    QTest::newRow("zero") << 0.0 << "0"
                          << "0";
  }
  void general() {
    QFETCH(double, x);
    QFETCH(QString, point);
    QFETCH(QString, comma);
    QCOMPARE(trb::fmt_general(x, QLocale::c()), point);
    QCOMPARE(trb::fmt_general(x, QLocale(QLocale::German, QLocale::Germany)), comma);
    QCOMPARE(trb::sql_float(x), point);
  }
};

QTEST_GUILESS_MAIN(TstNumbers)
#include "tst_numbers.moc"
