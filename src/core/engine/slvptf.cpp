#include "core/engine/slvptf.h"

#include <algorithm>
#include <cmath>

#include "core/db/numbers.h"

namespace trb::engine {

namespace {

bool known(double v) {
  return !is_missing(v);
}

double sqr(double x) {
  return x * x;
}

// A derived value is kept only when it is a number; otherwise the value stays missing.
void derive(SoilValue& v, double x) {
  if (std::isfinite(x)) v.value = x;
}

struct WaterContents {
  std::optional<double> fc, pwp;  // volume %
};

std::optional<double> vg_percent(const VanGenuchten& vg, double h) {
  if (!std::isfinite(vg.alpha) || !std::isfinite(vg.n) || !std::isfinite(vg.m)) return {};
  return 100.0 * vg_theta(vg, h);
}

WaterContents brooks_corey(const SoilRecord& r, double h_fk, double h_wp) {
  const double S = sand_usda(r.silt.value, r.clay.value);
  const double C = r.clay.value;
  const double phi = r.PV.value / 100.0;
  const double ln_hb =
      5.3396738 + 0.1845038 * C - 2.48394546 * phi - 0.00213853 * sqr(C) - 0.04356349 * S * phi -
      0.61745089 * C * phi + 0.00143598 * sqr(S) * sqr(phi) - 0.00855375 * sqr(C) * sqr(phi) -
      0.00001282 * sqr(S) * C + 0.00895359 * sqr(C) * phi - 0.00072472 * sqr(S) * phi +
      0.0000054 * sqr(C) * S + 0.5002806 * sqr(phi) * C;
  const double ln_lambda = -0.7842831 + 0.0177544 * S - 1.062498 * phi - 0.00005304 * sqr(S) -
                           0.00273493 * sqr(C) + 1.11134946 * sqr(phi) - 0.03088295 * S * phi +
                           0.00026587 * sqr(S) * sqr(phi) - 0.00610522 * sqr(C) * sqr(phi) -
                           0.00000235 * sqr(S) * C + 0.00798746 * sqr(C) * phi -
                           0.00674491 * sqr(phi) * C;
  const double theta_r = -0.0182482 + 0.00087269 * S + 0.00513488 * C + 0.02939286 * phi -
                         0.00015395 * sqr(C) - 0.0010827 * S * phi -
                         0.00018233 * sqr(C) * sqr(phi) + 0.00030703 * sqr(C) * phi -
                         0.0023584 * sqr(phi) * C;
  const double theta_s = 0.01162 - 0.001473 * S - 0.002236 * C + 0.98402 * phi +
                         0.0000987 * sqr(C) + 0.003616 * S * phi - 0.010859 * C * phi -
                         0.000096 * sqr(C) * phi - 0.002437 * sqr(phi) * S +
                         0.0115395 * sqr(phi) * C;
  const double hb = std::exp(ln_hb);
  const double lambda = std::exp(ln_lambda);
  auto theta = [&](double h) {
    return 100.0 * (theta_r + (theta_s - theta_r) * std::exp(lambda * std::log(hb / h)));
  };
  return {theta(h_fk), theta(h_wp)};
}

WaterContents vereecken(const SoilRecord& r, double corg, double h_fk, double h_wp) {
  if (corg == 0) corg = 0.05 * r.FAT.value + 0.5;
  const double S = sand_usda(r.silt.value, r.clay.value);
  const double C = r.clay.value;
  const double BD = r.BD.value;
  VanGenuchten vg;
  vg.theta_s = 0.81 - 0.283 * BD + 0.001 * C;
  vg.theta_r = 0.015 + 0.005 * C + 0.014 * corg;
  vg.alpha = trb::round_to(std::exp(-2.486 + 0.025 * S - 0.351 * corg - 2.617 * BD - 0.023 * C), 6);
  vg.n = trb::round_to(std::exp(0.053 - 0.009 * S - 0.013 * C + 0.00015 * sqr(S)), 6);
  vg.m = 1;
  return {vg_percent(vg, h_fk), vg_percent(vg, h_wp)};
}

WaterContents zacharias(const SoilRecord& r, double h_fk, double h_wp) {
  const double S = sand_usda(r.silt.value, r.clay.value);
  const double C = r.clay.value;
  const double BD = r.BD.value;
  VanGenuchten vg;
  vg.theta_r = 0;
  double alpha, n;
  if (S < 66.6) {
    vg.theta_s = 0.788 + 0.001 * C - 0.263 * BD;
    alpha = std::exp(-0.648 + 0.023 * S + 0.044 * C - 3.1618 * BD);
    n = 1.392 - 0.4189 * std::pow(S, -0.024) + 1.212 * std::pow(C, -0.704);
  } else {
    vg.theta_s = 0.89 + 0.001 * C - 0.322 * BD;
    alpha = std::exp(-4.197 + 0.013 * S + 0.076 * C - 0.276 * BD);
    n = -2.562 + 0.000000007 * std::pow(S, 4.004) + 3.75 * std::pow(C, -0.016);
  }
  vg.alpha = trb::round_to(alpha, 6);
  vg.n = trb::round_to(n, 6);
  vg.m = 1 - 1 / vg.n;
  return {vg_percent(vg, h_fk), vg_percent(vg, h_wp)};
}

}  // namespace

void SoilRecord::clear() {
  for (SoilValue* v : {&clay, &silt, &sand, &FAT, &BD, &PD, &PV, &FC, &PWP, &cif}) *v = SoilValue{};
}

void SoilRecord::fill(double clay_, double silt_, double sand_, double fat_, double bd_, double pd_,
                      double pv_, double fc_, double pwp_, double cif_) {
  clear();
  auto take = [](SoilValue& v, double x) {
    if (x > 0) v = {x, true};
  };
  take(clay, clay_);
  take(silt, silt_);
  take(sand, sand_);
  take(FAT, fat_);
  take(BD, bd_);
  take(PD, pd_);
  take(PV, pv_);
  take(FC, fc_);
  take(PWP, pwp_);
  take(cif, cif_);
}

QStringList SoilRecord::missing_names() const {
  const std::pair<const SoilValue*, const char*> all[] = {
      {&clay, "clay"}, {&silt, "silt"}, {&sand, "sand"}, {&FAT, "FAT"}, {&BD, "BD"},
      {&PD, "PD"},     {&PV, "PV"},     {&FC, "FC"},     {&PWP, "PWP"}, {&cif, "cif"}};
  QStringList out;
  for (const auto& [v, name] : all)
    if (is_missing(v->value)) out << QString::fromLatin1(name);
  return out;
}

QString hymode_name(int hymode) {
  switch (hymode) {
    case kBrooksCorey:
      return QStringLiteral("Brooks/Corey");
    case kVereecken:
      return QStringLiteral("Vereecken");
    case kLieberoth:
      return QStringLiteral("Lieberoth");
    case kZacharias:
      return QStringLiteral("Zacharias");
    default:
      return QString();
  }
}

QString interpol_name(int interpol) {
  switch (interpol) {
    case -1:
      return QStringLiteral("min");
    case 0:
      return QStringLiteral("mean");
    case 1:
      return QStringLiteral("max");
    default:
      return QString();
  }
}

const std::array<Ka4Class, 31>& ba_ka4() {
  static const std::array<Ka4Class, 31> table{{
      {"Uu", 80, 100, 0, 8},    {"Us", 50, 80, 0, 8},     {"Su4", 40, 50, 0, 8},
      {"Su3", 25, 40, 0, 8},    {"Su2", 10, 25, 0, 5},    {"Sl2", 10, 25, 5, 8},
      {"Ss", 0, 10, 0, 5},      {"St2", 0, 10, 5, 17},    {"Sl3", 10, 40, 8, 12},
      {"Sl4", 10, 40, 12, 17},  {"Slu", 40, 50, 8, 17},   {"Uls", 50, 65, 8, 17},
      {"Ut2", 65, 100, 8, 12},  {"Ut3", 65, 100, 12, 17}, {"Ut4", 65, 100, 17, 25},
      {"Tu4", 65, 100, 25, 35}, {"Lu", 50, 65, 17, 30},   {"Tu3", 50, 65, 30, 45},
      {"Lt3", 30, 50, 35, 45},  {"Lt2", 30, 50, 25, 35},  {"Ls2", 40, 50, 17, 25},
      {"Ls3", 30, 40, 17, 25},  {"Lts", 15, 30, 25, 45},  {"Ls4", 15, 30, 17, 25},
      {"St3", 0, 15, 17, 25},   {"Ts4", 0, 15, 25, 35},   {"Ts3", 0, 15, 35, 45},
      {"Ts2", 0, 15, 45, 65},   {"Tl", 15, 30, 45, 65},   {"Tu2", 30, 55, 45, 65},
      {"Tt", 0, 35, 65, 100},
  }};
  return table;
}

const std::array<RbsClass, 8>& ba_rbs() {
  static const std::array<RbsClass, 8> table{{
      {"S", 0, 10},
      {"Sl", 10, 14},
      {"lS", 14, 19},
      {"SL", 19, 24},
      {"sL", 24, 30},
      {"L", 30, 45},
      {"LT", 45, 60},
      {"T", 60, 100},
  }};
  return table;
}

double loglin_interp(double x, double x1, double x0, double y1, double y0) {
  return y0 + (std::log(x) - std::log(x0)) * (y1 - y0) / (std::log(x1) - std::log(x0));
}

double silt_usda(double silt, double clay) {
  return loglin_interp(0.05, 0.063, 0.002, silt + clay, clay) - clay;
}

double sand_usda(double silt, double clay) {
  return std::max(100 - clay - silt_usda(silt, clay), 0.00000001);
}

double bd_from_texture(double corg, double clay) {
  return 1.64 - 0.0075 * clay - 0.0611 * corg;
}

double pd_from_texture(double corg, double clay) {
  const double d = corg / 55;
  const double p_o = 0.373 * d + 1.127;
  const double p_m = 0.003 * clay + 2.659;
  return 1 / (d / p_o + (1 - d) / p_m);
}

double vg_theta(const VanGenuchten& vg, double h) {
  return vg.theta_r +
         (vg.theta_s - vg.theta_r) / std::pow(1 + std::pow(vg.alpha * std::abs(h), vg.n), vg.m);
}

double inert_fraction(double ma, double me, double mi, double PWP, double FC, double PV) {
  return (PWP / mi) / (PWP / mi + (FC - PWP) / me + (PV - FC) / ma);
}

std::optional<double> silt_from_class(const QString& name, ClassTable table, int interpol,
                                      double clay) {
  if (interpol < -1 || interpol > 1) return {};
  double smallest = 0, largest = 0;
  bool found = false;
  if (table == ClassTable::KA4) {
    const QString key = name.trimmed();
    for (const Ka4Class& c : ba_ka4()) {
      if (key == QLatin1StringView(c.item)) {
        smallest = c.un;
        largest = c.ux;
        found = true;
        break;
      }
    }
  } else {
    for (const RbsClass& c : ba_rbs()) {
      if (name == QLatin1StringView(c.item)) {
        smallest = loglin_interp(0.063, 0.01, 0.002, std::max(c.an, clay + 0.0001), clay) - clay;
        largest = loglin_interp(0.063, 0.01, 0.002, c.ax, clay) - clay;
        found = true;
        break;
      }
    }
  }
  if (!found) return {};
  double silt = interpol == -1 ? smallest : interpol == 1 ? largest : (smallest + largest) / 2;
  if (silt == 0) silt = 0.0001;
  return silt;
}

void complete_soil_record(int hymode, SoilRecord& r, double pf_fk, double pf_wp, double ma,
                          double me, double mi, double corg) {
  // Grain-size interpolation needs both fractions; a silt of 0 or less is no usable texture.
  const bool texture = known(r.clay.value) && r.silt.value > 0;

  if (is_missing(r.FAT.value) && texture)
    derive(r.FAT, loglin_interp(0.0063, 0.063, 0.002, r.silt.value + r.clay.value, r.clay.value));

  // Share below 0.01 mm; only the Lieberoth regression uses it.
  std::optional<double> f10;
  if (texture && known(r.FAT.value))
    f10 = loglin_interp(0.01, 0.063, 0.0063, r.silt.value + r.clay.value, r.FAT.value);

  if (is_missing(r.BD.value) && known(r.clay.value) && known(corg))
    derive(r.BD, bd_from_texture(corg, r.clay.value));

  if (is_missing(r.PD.value)) {
    if (is_missing(r.PV.value)) {
      if (known(corg) && known(r.clay.value)) derive(r.PD, pd_from_texture(corg, r.clay.value));
    } else if (known(r.BD.value)) {
      derive(r.PD, r.BD.value / (1 - r.PV.value / 100));
    }
  }

  if (is_missing(r.PV.value) && known(r.BD.value) && known(r.PD.value))
    derive(r.PV, (1 - r.BD.value / r.PD.value) * 100);

  const double h_fk = std::pow(10.0, pf_fk);
  const double h_wp = std::pow(10.0, pf_wp);

  WaterContents w;
  switch (hymode) {
    case kBrooksCorey:
      if (texture && known(r.PV.value)) w = brooks_corey(r, h_fk, h_wp);
      break;
    case kVereecken:
      if (texture && known(r.BD.value) && known(corg) && (corg != 0 || known(r.FAT.value)))
        w = vereecken(r, corg, h_fk, h_wp);
      break;
    case kLieberoth:
      if (f10) w.fc = 0.85 * *f10 + 3.4;
      if (known(r.clay.value)) w.pwp = 0.74 * r.clay.value + 1.23;
      break;
    case kZacharias:
      if (texture && known(r.BD.value)) w = zacharias(r, h_fk, h_wp);
      break;
    default:
      break;  // no method: field capacity and wilting point stay as given
  }
  if (is_missing(r.FC.value) && w.fc) derive(r.FC, *w.fc);
  if (is_missing(r.PWP.value) && w.pwp) derive(r.PWP, *w.pwp);

  if (is_missing(r.cif.value) && known(r.PWP.value) && known(r.FC.value) && known(r.PV.value) &&
      ma > 0 && me > 0 && mi > 0)
    derive(r.cif, inert_fraction(ma, me, mi, r.PWP.value, r.FC.value, r.PV.value));
}

}  // namespace trb::engine
