// The humus balance methods: "LUFA" adds each year the humus reproduction of the crops and organic
// amendments from coefficient tables, "KOLBE" adds the humus change of the crops and amendments of
// the plot's site group, "NULL" carries the start carbon unchanged as a reference. They share the
// walk of the balance; here are their preparation tables, input queries and yearly updates.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/base/feedback.h"
#include "core/engine/balance.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

// "LUFA" and "NULL": the crop and amendment reproduction per plot and year (hubi_c_from_crop_,
// hubi_c_from_oram_ and their yearly sums), then hubi_c_bilanz emptied and refilled with the
// start carbon content. The soil table comes after. Database errors throw DbError (also a
// missing hubi_c_bilanz or parameter table).
void build_hubi_tables(trb::db::Database& db, trb::Feedback& feedback);

// "KOLBE", after the soil table: vb_st_gr, bodengruppen_2, st_gruppe and flid2stgr. Logs one line
// for every selected plot with more than one site group and for every one without any.
void build_site_groups(trb::db::Database& db, trb::Feedback& feedback);

// "KOLBE": hum_manda, the humus change per plot, year and record in kg carbon per hectare.
void build_hum_manda(trb::db::Database& db);

// The site group rules in the order they are applied: group number and condition over
// bodengruppen_2.
struct SiteGroupRule {
  int group;
  QString condition;
};
const std::vector<SiteGroupRule>& site_group_rules();

class LufaMethod : public BalanceMethod {
 public:
  // hubi tables, the soil table
  void prepare_tables(trb::db::Database& db, const PreparationSettings& settings,
                      trb::Feedback& feedback) override;
  QString input_query() const override;
  QStringList extra_columns() const override;
  QString source_table(const QString& column) const override;
  void year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                   BalanceContext& ctx) override;
  // the inert fraction 999 of the input query only passes the start check
  double driver_inert_pct(const PlotState&) const override { return -99; }
};

class NullMethod : public LufaMethod {
 public:
  void year_update(PlotState&, const BalanceRow&, ResultWriter&, BalanceContext&) override {}
};

class KolbeMethod : public BalanceMethod {
 public:
  // the soil table, the site groups, hum_manda
  void prepare_tables(trb::db::Database& db, const PreparationSettings& settings,
                      trb::Feedback& feedback) override;
  QString input_query() const override;
  QStringList extra_columns() const override;
  QString source_table(const QString& column) const override;
  void year_update(PlotState& st, const BalanceRow& row, ResultWriter& out,
                   BalanceContext& ctx) override;
};

}  // namespace trb::engine
