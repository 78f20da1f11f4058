// Pedotransfer functions against values worked out by hand from their formulas.
#include <QtTest>
#include <cmath>

#include "core/engine/slvptf.h"

using namespace trb::engine;

namespace {

struct Divisors {
  double ma = 20, me = 10, mi = 5;
};

SoilRecord completed(int hymode, double clay, double silt, double corg, double bd = kMissing,
                     double pv = kMissing, Divisors d = {}) {
  SoilRecord r;
  r.fill(clay, silt, kMissing, kMissing, bd, kMissing, pv, kMissing, kMissing, kMissing);
  if (pv == 0) r.PV.value = 0;  // a pore volume of exactly 0, as the formulas see it
  complete_soil_record(hymode, r, 1.8, 4.2, d.ma, d.me, d.mi, corg);
  return r;
}

}  // namespace

class TestSlvptf : public QObject {
  Q_OBJECT

 private slots:
  void edgeCases_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance");

    QTest::newRow("fine fraction 20 at 0.006 mm, clay 10")
        << loglin_interp(0.063, 0.006, 0.002, 20, 10) << 41.4 << 0.005;
    const SoilRecord r = completed(kLieberoth, 10, 30, 1.5);
    QTest::newRow("clay 10 silt 30: FAT") << r.FAT.value << 19.98 << 0.005;
    QTest::newRow("clay 10 silt 30: BD") << r.BD.value << 1.473 << 0.0005;
    QTest::newRow("clay 10 silt 30: PD") << r.PD.value << 2.593 << 0.0005;
    QTest::newRow("clay 10 silt 30: PV") << r.PV.value << 43.17 << 0.005;
    QTest::newRow("RBS L clay 20 mean") << *silt_from_class("L", ClassTable::RBS, 0, 20)
                                        << (21.435977860207444 + 53.58994465051862) / 2 << 1e-9;
    QTest::newRow("sand floor clay 60 silt 45") << sand_usda(45, 60) << 0.00000001 << 0.0;
    QTest::newRow("RBS sL below its clay: negative silt")
        << *silt_from_class("sL", ClassTable::RBS, 0, 31) << -1.071691713121071 << 1e-9;
    const SoilRecord flat = completed(kBrooksCorey, 10, 30, 1.5, kMissing, 0);
    QTest::newRow("Brooks/Corey PV 0: FC finite") << flat.FC.value << -96.21544159653709 << 1e-8;
    QTest::newRow("Brooks/Corey PV 0: PWP finite") << flat.PWP.value << 5.777576027145439 << 1e-9;
  }
  void edgeCases() {
    QFETCH(double, value);
    QFETCH(double, expected);
    QFETCH(double, tolerance);
    QVERIFY2(std::abs(value - expected) <= tolerance, qPrintable(QString::number(value, 'g', 17)));
  }

  // Every mode for a loamy sand and a sand (the two ranges of Zacharias; corg 0 replaced in
  // Vereecken), and one soil with a measured bulk density from which the rest is derived.
  void modes_data() {
    QTest::addColumn<int>("hymode");
    QTest::addColumn<double>("clay");
    QTest::addColumn<double>("silt");
    QTest::addColumn<double>("corg");
    QTest::addColumn<double>("bd");
    QTest::addColumn<QList<double>>("expected");  // FAT, BD, PD, PV, FC, PWP, cif

    const QList<double> loamA{19.9774486510006, 1.47335, 2.592513502588619, 43.16905202118087};
    const QList<double> sandC{7.3258162170002, 1.6099999999999999, 2.671, 39.72295020591539};
    auto row = [](const char* name, int mode, double clay, double silt, double corg,
                  QList<double> base, double fc, double pwp, double cif) {
      QTest::newRow(name) << mode << clay << silt << corg << kMissing << (base << fc << pwp << cif);
    };
    row("Brooks/Corey loam", 1, 10, 30, 1.5, loamA, 22.844442625733034, 7.951754622020545,
        0.3882834695763843);
    row("Brooks/Corey sand", 1, 4, 10, 0, sandC, 15.970982240252168, 5.736452193340093,
        0.3416240790148211);
    row("Vereecken loam", 2, 10, 30, 1.5, loamA, 33.64102103214345, 9.235663976181936,
        0.38772158590029876);
    row("Vereecken sand corg 0", 2, 4, 10, 0, sandC, 28.12259282748886, 4.750534374608888,
        0.2456751118179541);
    row("Lieberoth loam", 3, 10, 30, 1.5, loamA, 23.795888382744025, 8.63, 0.409854846253965);
    row("Lieberoth sand", 3, 4, 10, 0, sandC, 10.765296127581344, 4.1899999999999995,
        0.2847035718552288);
    row("Zacharias sand below 66.6", 4, 10, 30, 1.5, loamA, 32.052675471623246, 8.527305505764724,
        0.3696421268541884);
    row("Zacharias sand from 66.6", 4, 4, 10, 0, sandC, 21.71265383078164, 1.4122776617273796,
        0.08791000058447686);
    QTest::newRow("Lieberoth measured BD")
        << 3 << 25.0 << 55.0 << 2.0 << 1.3
        << QList<double>{43.291989193501095, 1.3,   2.6018217352005233, 50.03500883968868,
                         46.45912870169738,  19.73, 0.5804898727409146};
  }
  void modes() {
    QFETCH(int, hymode);
    QFETCH(double, clay);
    QFETCH(double, silt);
    QFETCH(double, corg);
    QFETCH(double, bd);
    QFETCH(QList<double>, expected);
    const SoilRecord r = completed(hymode, clay, silt, corg, bd);
    const double got[] = {r.FAT.value, r.BD.value,  r.PD.value, r.PV.value,
                          r.FC.value,  r.PWP.value, r.cif.value};
    const char* names[] = {"FAT", "BD", "PD", "PV", "FC", "PWP", "cif"};
    for (int i = 0; i < 7; ++i)
      QVERIFY2(std::abs(got[i] - expected[i]) <= 1e-9 * std::abs(expected[i]),
               qPrintable(QStringLiteral("%1 = %2").arg(names[i]).arg(got[i], 0, 'g', 17)));
    // Derived values are never marked as supplied; the supplied ones keep their value.
    QCOMPARE(r.BD.present, bd > 0);
    QVERIFY(!r.FC.present && !r.PWP.present && !r.cif.present);
  }

  // Supplied values stay; only the missing ones are derived, from the supplied ones.
  void suppliedValuesKept() {
    SoilRecord r;
    r.fill(10, 30, kMissing, 25, kMissing, kMissing, 45, 30, kMissing, 0.4);
    complete_soil_record(kLieberoth, r, 1.8, 4.2, 20, 10, 5, 1.5);
    QCOMPARE(r.FAT.value, 25.0);
    QCOMPARE(r.PV.value, 45.0);
    QCOMPARE(r.FC.value, 30.0);
    QCOMPARE(r.cif.value, 0.4);
    QCOMPARE(r.PD.value, 1.47335 / (1 - 45.0 / 100));  // from BD and the supplied PV
    QCOMPARE(r.PWP.value, 0.74 * 10 + 1.23);
  }

  // Inputs that cannot give a value leave exactly the dependent values missing.
  void missingInputs_data() {
    QTest::addColumn<int>("hymode");
    QTest::addColumn<double>("silt");
    QTest::addColumn<double>("ma");
    QTest::addColumn<QStringList>("missing");

    const QStringList none{"sand"};
    QTest::newRow("complete") << 3 << 30.0 << 20.0 << none;
    QTest::newRow("mode 0") << 0 << 30.0 << 20.0 << QStringList{"sand", "FC", "PWP", "cif"};
    QTest::newRow("mode 5") << 5 << 30.0 << 20.0 << QStringList{"sand", "FC", "PWP", "cif"};
    QTest::newRow("no silt, Brooks/Corey")
        << 1 << kMissing << 20.0 << QStringList{"silt", "sand", "FAT", "FC", "PWP", "cif"};
    QTest::newRow("no silt, Zacharias")
        << 4 << kMissing << 20.0 << QStringList{"silt", "sand", "FAT", "FC", "PWP", "cif"};
    QTest::newRow("no silt, Lieberoth keeps PWP from clay")
        << 3 << kMissing << 20.0 << QStringList{"silt", "sand", "FAT", "FC", "cif"};
    QTest::newRow("no pore-size divisors") << 3 << 30.0 << kMissing << QStringList{"sand", "cif"};
  }
  void missingInputs() {
    QFETCH(int, hymode);
    QFETCH(double, silt);
    QFETCH(double, ma);
    QFETCH(QStringList, missing);
    SoilRecord r;
    r.fill(10, silt, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing, kMissing,
           kMissing);
    complete_soil_record(hymode, r, 1.8, 4.2, ma, 10, ma < 0 ? kMissing : 5, 1.5);
    QCOMPARE(r.missing_names(), missing);
    for (const SoilValue* v : {&r.FAT, &r.BD, &r.PD, &r.PV, &r.FC, &r.PWP, &r.cif})
      QVERIFY(std::isfinite(v->value));
  }

  void siltFromClass_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("rbs");
    QTest::addColumn<int>("interpol");
    QTest::addColumn<double>("clay");
    QTest::addColumn<double>("expected");  // NaN: no silt

    const double none = std::nan("");
    QTest::newRow("KA4 Su3 min") << "Su3" << false << -1 << 5.0 << 25.0;
    QTest::newRow("KA4 Su3 mean") << "Su3" << false << 0 << 5.0 << 32.5;
    QTest::newRow("KA4 Tt max") << "Tt" << false << 1 << 70.0 << 35.0;
    QTest::newRow("KA4 name with blanks") << "  Ut3 " << false << 0 << 14.0 << 82.5;
    QTest::newRow("KA4 Ss min 0 becomes 0.0001") << "Ss" << false << -1 << 2.0 << 0.0001;
    QTest::newRow("KA4 empty name") << "" << false << 0 << 5.0 << none;
    QTest::newRow("KA4 unknown name") << "Xy" << false << 0 << 5.0 << none;
    QTest::newRow("KA4 other case") << "su3" << false << 0 << 5.0 << none;
    QTest::newRow("RBS L min") << "L" << true << -1 << 20.0 << 21.435977860207444;
    QTest::newRow("RBS L max") << "L" << true << 1 << 20.0 << 53.58994465051862;
    // sL and SL are different classes; RBS names are not trimmed.
    QTest::newRow("RBS SL max") << "SL" << true << 1 << 10.0
                                << 10 +
                                       (std::log(0.063) - std::log(0.002)) * 14 /
                                           (std::log(0.01) - std::log(0.002)) -
                                       10;
    QTest::newRow("RBS sL max") << "sL" << true << 1 << 10.0
                                << 10 +
                                       (std::log(0.063) - std::log(0.002)) * 20 /
                                           (std::log(0.01) - std::log(0.002)) -
                                       10;
    QTest::newRow("RBS name with blank") << "L " << true << 0 << 20.0 << none;
    QTest::newRow("interpol 2") << "L" << true << 2 << 20.0 << none;
    QTest::newRow("interpol -2") << "Su3" << false << -2 << 5.0 << none;
  }
  void siltFromClass() {
    QFETCH(QString, name);
    QFETCH(bool, rbs);
    QFETCH(int, interpol);
    QFETCH(double, clay);
    QFETCH(double, expected);
    const auto silt =
        silt_from_class(name, rbs ? ClassTable::RBS : ClassTable::KA4, interpol, clay);
    if (std::isnan(expected)) {
      QVERIFY(!silt);
    } else {
      QVERIFY(silt);
      QVERIFY2(std::abs(*silt - expected) <= 1e-9, qPrintable(QString::number(*silt, 'g', 17)));
    }
  }

  // Values of 0 or less are not supplied values.
  void fillTakesOnlyPositive() {
    SoilRecord r;
    r.fill(0, 30, -5, 20, 1.4, 0, 40, 0, 8, 0);
    QVERIFY(!r.clay.present && r.clay.value == kMissing);
    QVERIFY(!r.sand.present && !r.PD.present && !r.FC.present && !r.cif.present);
    QVERIFY(r.silt.present && r.FAT.present && r.BD.present && r.PV.present && r.PWP.present);
    QCOMPARE(r.PWP.value, 8.0);
  }
};

QTEST_GUILESS_MAIN(TestSlvptf)
#include "tst_slvptf.moc"
