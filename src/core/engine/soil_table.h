// The soil table of a calculation: tmp_soil_prop holds the soil of every selected plot and start
// measurement of soil carbon, measured values as they are and every other value derived by the
// pedotransfer functions. soilproperties itself is never written.
#pragma once

#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/engine/slvptf.h"

namespace trb::engine {

// The settings of a calculation that the soil table depends on.
struct SoilOptions {
  QString soil_scheme = QStringLiteral("RBS");  // "RBS" or "KA4"
  int hymode = kLieberoth;
  double pf_fk = 1.8;  // pF of field capacity (the stored setting divided by 10)
  double pf_wp = 4.2;  // pF of the wilting point
  int interpol = 0;    // silt of a class: -1 smallest, 0 mean, 1 largest
};

// Pore-size divisors of the inert carbon fraction; missing (-99) without a row.
struct PoreSizes {
  double mi = kMissing, me = kMissing, ma = kMissing;
};

// First row of pore_size_parm.
PoreSizes read_pore_sizes(trb::db::Database& db);

// Rebuilds tmp_soil_prop for the plots with site_state.status = 1 and completes every row.
// Returns the divisors read for this build. Lines and the progress over the rows go to feedback.
// Throws CalcStop when a silt has to come from a soil class under a scheme other than "RBS" or
// "KA4"; database errors throw DbError.
PoreSizes build_soil_table(trb::db::Database& db, const SoilOptions& options,
                           trb::Feedback& feedback);

// Completes every row of an existing tmp_soil_prop (the last step of the build).
void complete_soil_table(trb::db::Database& db, const SoilOptions& options, const PoreSizes& pores,
                         trb::Feedback& feedback);

// Writes into tmp_soil_prop row by row, with one prepared statement per column.
class SoilTable {
 public:
  explicit SoilTable(trb::db::Database& db);
  ~SoilTable();
  bool hasColumn(const QString& name) const;
  // Writes value to name (and false to name_org when that column exists).
  void write(qint64 rowid, const QString& name, const QVariant& value);

 private:
  trb::db::Database& db_;
  QStringList columns_;
  std::map<QString, std::unique_ptr<trb::db::Statement>> updates_;
};

// The current row of tmp_soil_prop; every store is written to the table at once.
class SoilRow {
 public:
  SoilRow(SoilTable& table, const QSqlRecord& values, qint64 rowid)
      : table_(table), values_(values), rowid_(rowid) {}

  // Column as stored; -99 when it is empty or absent.
  double number(const QString& name) const;
  QString text(const QString& name) const;

  // The stored value of name if name_org is true and the value is neither empty nor missing;
  // otherwise -99.
  double read_original_value(const QString& name) const;
  // Unless the row holds a measured value of name (name_org true, value neither empty nor
  // missing): writes value to name and false to name_org. Returns whether the table has the
  // column.
  bool store_if_not_original(const QString& name, double value);
  // Writes -99 to name and false to name_org whatever the flag: a value that must not be used.
  void store_missing(const QString& name);
  // Writes the class of usable field capacity, if the column exists.
  void store_soil_cat(int soil_cat);

 private:
  bool original(const QString& name) const;
  void write(const QString& name, const QVariant& value);

  SoilTable& table_;
  QSqlRecord values_;
  qint64 rowid_;
};

// Class of usable field capacity from FC - PWP (1..4); -99 when either is missing.
int soil_cat_of(double fc, double pwp);

// Completes the current row and writes it back. Problems that leave values missing go to the
// feedback as one line naming the plot and the soil.
void complete_soil_row(SoilRow& row, const SoilOptions& options, const PoreSizes& pores,
                       trb::Feedback& feedback);

// Stores silt, then every value of the record not supplied (BD, PD, FC, PWP, PV, cif, FAT, sand,
// in this order), then soil_cat.
void write_back_soil_row(SoilRow& row, double silt, const SoilRecord& rec);

}  // namespace trb::engine
