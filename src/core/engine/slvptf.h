// Pedotransfer functions: missing soil properties estimated from the known ones.
//
// Texture in % of the fine earth, grain-size limits in mm, water contents and pore volume in
// volume %, densities in g/cm³, organic carbon in % by mass, suctions in hPa. A value is missing
// when it is negative (-99 is the stored marker).
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace trb::engine {

inline constexpr double kMissing = -99.0;
inline bool is_missing(double v) {
  return v < 0;
}

struct SoilValue {
  double value = kMissing;
  bool present = false;  // supplied (measured), as opposed to derived
};

// One soil as the pedotransfer functions see it.
struct SoilRecord {
  SoilValue clay, silt, sand, FAT, BD, PD, PV, FC, PWP, cif;

  // All ten values to -99, none present.
  void clear();
  // Clears, then takes every candidate that is greater than 0 as a present value.
  void fill(double clay_, double silt_, double sand_, double fat_, double bd_, double pd_,
            double pv_, double fc_, double pwp_, double cif_);
  // Names of the values that are still missing, in record order ("clay", "silt", ..., "cif").
  QStringList missing_names() const;
};

// Water retention curve; water contents as fractions.
struct VanGenuchten {
  double theta_r = 0, theta_s = 0, alpha = 0, n = 1, m = 1;
};

// hymode: method for field capacity and wilting point.
inline constexpr int kBrooksCorey = 1;
inline constexpr int kVereecken = 2;
inline constexpr int kLieberoth = 3;
inline constexpr int kZacharias = 4;
// "Brooks/Corey", "Vereecken", "Lieberoth", "Zacharias"; empty for any other mode.
QString hymode_name(int hymode);
// "min", "mean", "max" for -1, 0, 1; empty otherwise.
QString interpol_name(int interpol);

// Soil texture classes: silt range (un..ux) and clay range (tn..tx) in %.
struct Ka4Class {
  const char* item;
  double un, ux, tn, tx;
};
// Range of the share below 0.01 mm (an..ax) in %.
struct RbsClass {
  const char* item;
  double an, ax;
};
const std::array<Ka4Class, 31>& ba_ka4();
const std::array<RbsClass, 8>& ba_rbs();

enum class ClassTable { KA4, RBS };

// Cumulative grain-size share at diameter x, linear in ln(diameter) through (x0, y0) and
// (x1, y1); also extrapolates.
double loglin_interp(double x, double x1, double x0, double y1, double y0);
// Silt with the 0.05 mm upper limit.
double silt_usda(double silt, double clay);
// Sand with the 0.05 mm lower limit, never below 1e-8.
double sand_usda(double silt, double clay);
double bd_from_texture(double corg, double clay);
double pd_from_texture(double corg, double clay);
double vg_theta(const VanGenuchten& vg, double h);
double inert_fraction(double ma, double me, double mi, double PWP, double FC, double PV);

// Silt of a texture class: the smallest (interpol -1), mean (0) or largest (1) of the class.
// KA4 names are compared without surrounding blanks, RBS names as given; case matters ("sL" and
// "SL" are different classes). nullopt when the class is not in its table or interpol is none of
// -1, 0, 1. The result may be negative when clay lies above the class.
std::optional<double> silt_from_class(const QString& name, ClassTable table, int interpol,
                                      double clay);

// Fills every missing value of the record except sand and silt; values given stay as they are.
// me is the medium-pore divisor. A value whose inputs are missing (silt counts as missing unless
// it is above 0), whose mode is none of 1..4 or whose result would not be a finite number stays
// missing.
void complete_soil_record(int hymode, SoilRecord& rec, double pf_fk, double pf_wp, double ma,
                          double me, double mi, double corg);

}  // namespace trb::engine
