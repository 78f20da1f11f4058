// trb_gen N Y FILE: a synthetic trb database of N plots with Y management years each, for the
// benchmark. The file gets the schema and default parameters, then, in one transaction:
// climate stations with a long-term (year 0) row and yearly weather (a few years missing, so
// that the long-term row stands in), soil profiles of three kinds (silt measured, silt from the
// fine fraction, silt from the texture class), plots on several sites with crop rotations
// (harvests with code 2 and 9), organic amendments, mineral nitrogen, irrigation on some plots,
// start measurements of soil carbon and nitrogen and later carbon samples. Every plot is
// selected for a run. The same arguments always give the same database.
#include <sqlite3.h>

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdint>
#include <vector>

#include "core/db/database.h"

namespace {

// splitmix64: small, fast and the same on every platform.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t next() {
    uint64_t z = (s_ += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  double uniform(double lo, double hi) { return lo + (hi - lo) * (next() >> 11) * 0x1.0p-53; }
  int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
  bool chance(double p) { return uniform(0, 1) < p; }

 private:
  uint64_t s_;
};

double round1(double x) {
  return std::round(x * 10) / 10;
}
double round3(double x) {
  return std::round(x * 1000) / 1000;
}

// A prepared native insert: the benchmark's data are plain values, no dialect needed.
class Insert {
 public:
  Insert(sqlite3* h, const char* sql) : h_(h) {
    if (sqlite3_prepare_v2(h, sql, -1, &st_, nullptr) != SQLITE_OK)
      throw trb::db::DbError(QString::fromUtf8(sql), QString::fromUtf8(sqlite3_errmsg(h)));
  }
  ~Insert() { sqlite3_finalize(st_); }
  Insert(const Insert&) = delete;
  Insert& operator=(const Insert&) = delete;

  // Values in column order: integers, reals, texts, or null.
  struct V {
    enum { Int, Real, Text, Null } kind;
    long long i = 0;
    double d = 0;
    const char* t = nullptr;
    V(int x) : kind(Int), i(x) {}
    V(long long x) : kind(Int), i(x) {}
    V(double x) : kind(Real), d(x) {}
    V(const char* x) : kind(Text), t(x) {}
    V(std::nullptr_t) : kind(Null) {}
  };
  void run(std::initializer_list<V> values) {
    int k = 1;
    for (const V& v : values) {
      switch (v.kind) {
        case V::Int:
          sqlite3_bind_int64(st_, k, v.i);
          break;
        case V::Real:
          sqlite3_bind_double(st_, k, v.d);
          break;
        case V::Text:
          sqlite3_bind_text(st_, k, v.t, -1, SQLITE_TRANSIENT);
          break;
        case V::Null:
          sqlite3_bind_null(st_, k);
          break;
      }
      ++k;
    }
    if (sqlite3_step(st_) != SQLITE_DONE)
      throw trb::db::DbError(QString::fromUtf8(sqlite3_sql(st_)),
                             QString::fromUtf8(sqlite3_errmsg(h_)));
    sqlite3_reset(st_);
  }

 private:
  sqlite3* h_;
  sqlite3_stmt* st_ = nullptr;
};

// Crop keys of the default parameters with a typical yield (dt/ha fresh matter) and whether the
// by-product usually stays on the field (harvest code 9).
struct Crop {
  int item;
  double yield;
  bool byproduct_left;
};
constexpr Crop kWinterWheat{1, 75, true}, kWinterRye{2, 60, true}, kWinterBarley{3, 68, true},
    kSpringBarley{4, 52, false}, kOats{5, 50, false}, kGrainMaize{7, 95, true},
    kSilageMaize{8, 480, false}, kSugarBeet{9, 620, true}, kPotatoes{10, 380, false},
    kRape{11, 38, true}, kPeas{12, 40, true}, kCloverGrass{15, 300, false},
    kCatchCrop{18, 150, true};

const std::vector<std::vector<Crop>>& rotations() {
  static const std::vector<std::vector<Crop>> r = {
      {kSugarBeet, kWinterWheat, kWinterBarley},
      {kRape, kWinterWheat, kWinterBarley},
      {kSilageMaize, kWinterWheat, kWinterRye, kSpringBarley},
      {kPotatoes, kWinterRye, kOats},
      {kCloverGrass, kCloverGrass, kWinterWheat, kPotatoes, kWinterRye},
      {kGrainMaize, kWinterWheat, kPeas, kWinterBarley},
  };
  return r;
}

// Soil profiles: texture and density of a site. kind 0 silt measured, 1 only the fine fraction
// (silt derived from it), 2 only the class name (silt from the class table).
struct Soil {
  const char* rbs;
  const char* ka4;
  double clay, silt, fat, bd;
  int kind;
};
const std::vector<Soil>& soils() {
  static const std::vector<Soil> s = {
      {"L", "Ut4", 21, 68, 24, 1.45, 0},   {"Sl", "Su2", 5, 14, 8, 1.55, 0},
      {"lS", "Sl3", 9, -99, 14, 1.5, 1},   {"L", "Ls2", 25, 40, 30, 1.4, 1},
      {"lS", "Sl3", 11, -99, -99, 1.5, 2}, {"Sl", "Su2", 6, -99, -99, 1.6, 2},
      {"sL", "Slu", 14, 35, 19, 1.48, 0},  {"L", "Lu", 28, 55, 34, 1.35, 0},
  };
  return s;
}

struct Options {
  int plots = 0, years = 0;
  QString file;
};

void generate(const Options& o) {
  QFile::remove(o.file);
  trb::db::Database db = trb::db::Database::create(o.file);
  trb::db::createTrbDatabase(db, false);
  sqlite3* h = db.handle();
  trb::db::Transaction tx(db);
  Rng rng(0x7472625f62656e63ULL ^ (uint64_t(o.plots) << 20) ^ uint64_t(o.years));

  const int stations = std::clamp(o.plots / 400, 4, 25);
  const int firstYear = 1960;
  const int lastYear = firstYear + 9 + o.years;  // sites start up to nine years apart

  Insert station(h,
                 "INSERT INTO climate_station (climate_ID, station, year0_nd, ndep_0, year1_nd, "
                 "ndep_1) VALUES (?, ?, ?, ?, ?, ?)");
  Insert weather(h,
                 "INSERT INTO climate_data (climate_ID, day, month, year, temperature, "
                 "precipitation) VALUES (?, 31, 12, ?, ?, ?)");
  Insert experiment(
      h, "INSERT INTO experiments (exp_id, vcode, location, herkunft) VALUES (?, ?, ?, ?)");
  Insert soil(h,
              "INSERT INTO soilproperties (soil_ID, profile, BA_RBS_CODE, BA_RBS, BA_KA4, BA_LfL, "
              "clay, silt, sand, FAT, PWP, FC, PV, PD, BD, skelett, cif, silt_org, sand_org, "
              "FAT_org, PWP_org, FC_org, PV_org, PD_org, BD_org, cif_org) VALUES (?, ?, ?, ?, ?, "
              "?, ?, ?, ?, ?, -99, -99, -99, -99, ?, ?, -99, ?, 0, ?, 0, 0, 0, 0, ?, 0)");
  Insert plot(h,
              "INSERT INTO field_description (FL_ID, versuch_code, Location, site_description, "
              "Herkunft, classification, comment, soil_ID, climate_ID, mw_bat, area) VALUES (?, "
              "?, ?, ?, ?, ?, ?, ?, ?, ?, 0.05)");
  Insert state(h, "INSERT INTO site_state (FL_ID, status, marker) VALUES (?, 1, 0)");
  Insert cult(h,
              "INSERT INTO cultivation (FL_ID, FL_ID_alt, day, month, year, Macode, Item_IX, "
              "Quantity, Sim_Quantity) VALUES (?, 100, ?, ?, ?, ?, ?, ?, 0)");
  Insert meas(h,
              "INSERT INTO measurements (FL_ID, M_IX, day, month, year, year_number, meas_value) "
              "VALUES (?, ?, 15, 3, ?, ?, ?)");

  // Stations (one site per station) with their weather; every ninth year of the odd stations is
  // missing and taken from the long-term row.
  struct Site {
    int startYear;
    double temp, rain;
    int soilBase;
  };
  std::vector<Site> sites;
  for (int s = 0; s < stations; ++s) {
    Site site{firstYear + rng.below(10), rng.uniform(7.5, 10.5), rng.uniform(450, 850),
              rng.below(static_cast<int>(soils().size()))};
    sites.push_back(site);
    const QByteArray name = QStringLiteral("Station %1").arg(s + 1).toUtf8();
    station.run({s, name.constData(), 1980, round1(rng.uniform(25, 45)), 2010,
                 round1(rng.uniform(12, 22))});
    weather.run({s, 0, round1(site.temp), round1(site.rain)});
    for (int y = firstYear; y <= lastYear; ++y) {
      if (s % 2 == 1 && y % 9 == 0) continue;
      weather.run({s, y, round1(site.temp + rng.uniform(-1.3, 1.3)),
                   round1(site.rain * rng.uniform(0.7, 1.3))});
    }
    const QByteArray where = QStringLiteral("Site %1").arg(s + 1).toUtf8();
    experiment.run({s + 1, QByteArray::number(s + 1).constData(), where.constData(),
                    "synthetic long-term trial"});
  }

  // Two soil profiles per site, both of the site's kind of texture with their own variation.
  int soilId = 0;
  std::vector<int> siteSoils;
  for (int s = 0; s < stations; ++s) {
    for (int k = 0; k < 2; ++k) {
      const Soil& t = soils()[(sites[s].soilBase + k) % soils().size()];
      const double clay = round1(t.clay * rng.uniform(0.85, 1.15));
      const double silt = t.silt > 0 ? round1(t.silt * rng.uniform(0.9, 1.1)) : -99;
      const double fat =
          t.fat > 0 ? round1(std::max(clay + 1, t.fat * rng.uniform(0.9, 1.1))) : -99.0;
      const double sand = silt > 0 ? round1(100 - clay - silt) : -99;
      const bool bdMeasured = rng.chance(0.5);
      const double bd = bdMeasured ? round3(t.bd * rng.uniform(0.95, 1.05)) : -99;
      const QByteArray profile = QStringLiteral("Profile %1-%2").arg(s + 1).arg(k + 1).toUtf8();
      ++soilId;
      soil.run({soilId, profile.constData(), t.rbs, t.rbs, t.ka4, t.rbs, clay, silt, sand, fat, bd,
                round1(rng.uniform(0, 8)), silt > 0 ? -1 : 0, fat > 0 && t.kind != 0 ? -1 : 0,
                bdMeasured ? -1 : 0});
      siteSoils.push_back(soilId);
    }
  }

  for (int fl = 1; fl <= o.plots; ++fl) {
    const int s = (fl - 1) % stations;
    const Site& site = sites[s];
    const int soilOf = siteSoils[2 * s + rng.below(2)];
    const auto& rot = rotations()[rng.below(static_cast<int>(rotations().size()))];
    const int offset = rng.below(static_cast<int>(rot.size()));
    const bool manure = rng.chance(0.5);
    const bool slurry = !manure && rng.chance(0.4);
    const bool irrigated = rng.chance(0.25);
    const bool catchCrop = rng.chance(0.3);
    const double nLevel = rng.uniform(0, 160);
    const QByteArray code = QByteArray::number(s + 1);
    const QByteArray loc = QStringLiteral("Site %1").arg(s + 1).toUtf8();
    const QByteArray desc = QStringLiteral("treatment %1").arg(fl).toUtf8();
    const QByteArray tag = QStringLiteral("P%1").arg(fl).toUtf8();
    const char* comment = rng.chance(0.1) ? "FB NOTILL" : "FB";
    plot.run({fl, code.constData(), loc.constData(), desc.constData(), tag.constData(), "synthetic",
              comment, soilOf, s, round1(rng.uniform(28, 45))});
    state.run({fl});

    for (int k = 0; k < o.years; ++k) {
      const int year = site.startYear + k;
      const Crop& c = rot[(offset + k) % rot.size()];
      const double q = round1(c.yield * rng.uniform(0.75, 1.2));
      const bool leaves = c.byproduct_left && rng.chance(0.7);
      cult.run({fl, 10 + rng.below(10), 8, year, leaves ? 9 : 2, c.item, q});
      if (nLevel > 20 && c.item != kCloverGrass.item && c.item != kPeas.item)
        cult.run({fl, 20, 4, year, 4, 1, round1(nLevel)});
      if (manure && k % 3 == 0) cult.run({fl, 1, 10, year, 3, 301, round1(rng.uniform(200, 350))});
      if (slurry && k % 2 == 0) cult.run({fl, 15, 3, year, 3, 302, round1(rng.uniform(150, 300))});
      if (catchCrop && k % 4 == 1)
        cult.run({fl, 1, 11, year, 9, kCatchCrop.item, round1(rng.uniform(100, 200))});
      if (irrigated)
        for (int n = 0, times = 1 + rng.below(4); n < times; ++n)
          cult.run({fl, 1 + 7 * n, 6, year, 7, -99, 25.0});
    }

    // Start values in the first year; carbon every three to five years afterwards.
    const double corg = round3(rng.uniform(0.7, 2.2));
    meas.run({fl, 7, site.startYear, 0, corg});
    meas.run({fl, 0, site.startYear, 0, round3(corg / rng.uniform(8.5, 11.5))});
    if (rng.chance(0.2)) meas.run({fl, -1, site.startYear, 0, round3(rng.uniform(-0.3, 0.3))});
    double c = corg;
    for (int k = 2 + rng.below(3); k < o.years; k += 3 + rng.below(3)) {
      c *= rng.uniform(0.97, 1.025);
      meas.run({fl, 7, site.startYear + k, k + 1, round3(c)});
    }
  }
  tx.commit();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream err(stderr);
  const QStringList args = app.arguments().mid(1);
  Options o;
  bool okN = false, okY = false;
  if (args.size() == 3) {
    o.plots = args[0].toInt(&okN);
    o.years = args[1].toInt(&okY);
    o.file = args[2];
  }
  if (!okN || !okY || o.plots < 1 || o.years < 1) {
    err << "usage: trb_gen N Y FILE   (N plots with Y years each; FILE is overwritten)\n";
    return 2;
  }
  try {
    generate(o);
  } catch (const std::exception& e) {
    err << "trb_gen: " << e.what() << '\n';
    return 1;
  }
  QTextStream(stdout) << o.file << ": " << o.plots << " plots x " << o.years << " years\n";
  return 0;
}
