#include "core/engine/inputs.h"

#include "core/db/database.h"

namespace trb::engine {

namespace {

void log_count(trb::Feedback& feedback, const char* label, int n) {
  feedback.info(QLatin1String(label) + QString::number(n));
}

}  // namespace

void update_sim_quantities(trb::db::Database& db, trb::Feedback& feedback) {
  log_count(feedback, "sql 2:", db.execute(QStringLiteral(R"sql(
 UPDATE (cultivation INNER JOIN slvopspa ON cultivation.Item_IX =
slvopspa.item_ix)
   INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID 
SET cultivation.Sim_Quantity = [Quantity]*100*[TS_GEHALT]*[C_GEH_TS]
 WHERE site_state.status=1 and cultivation.Macode=3 )sql")));
  log_count(feedback, "sql 3:", db.execute(QStringLiteral(R"sql(
 UPDATE (slvpflan INNER JOIN cultivation ON slvpflan.ITEM_IX =
cultivation.Item_IX)
   INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID 
  SET cultivation.Sim_Quantity = [Quantity]*[N_Gehalt]
 WHERE site_state.status=1 and (((cultivation.Macode)=2 Or
(cultivation.Macode)=9)))sql")));
}

void build_opstab(trb::db::Database& db, trb::Feedback& feedback) {
  db.dropTable(QStringLiteral("_cropping_dt"));
  log_count(feedback, "crop_er :", db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year as year_,
cultivation.Macode,cultivation.Sim_Quantity as yield,slvpflan.item_ix as crop_ix,
slvpflan.CEWR+cultivation.Sim_Quantity*slvpflan.FEWR AS N_ewr,
 (slvpflan.CEWR+cultivation.Sim_Quantity*slvpflan.FEWR)*slvopspa.CNR AS c_ewr,
slvopspa.K, slvopspa.ETA, slvopspa.CNR, slvopspa.CNR_alt ,slvpflan.NAME as name_,
 (slvpflan.CEWR+cultivation.Sim_Quantity*slvpflan.FEWR)*slvopspa.CNR*slvopspa.ETA AS
Crep, slvopspa.item_ix into _cropping_dt
 FROM ((cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN slvopspa
 ON slvpflan.ewr_ix = slvopspa.item_ix) INNER JOIN site_state ON cultivation.FL_ID =
site_state.FL_ID
 WHERE (((cultivation.Macode) in (2,9)) AND ((site_state.status)=1)) ORDER BY
cultivation.FL_ID, cultivation.year )sql")));

  db.dropTable(QStringLiteral("_koppel_prdkt"));
  log_count(feedback, "crop_ap :", db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year as year_, slvopspa.NAME as name_,
cultivation.Quantity*slvpflan.HI*100*slvopspa.TS_GEHALT*slvopspa.C_GEH_TS AS C_kop,
 slvopspa.K, slvopspa.ETA, slvopspa.CNR,slvopspa.CNR_alt, slvopspa.item_ix into
_koppel_prdkt FROM (cultivation INNER JOIN site_state ON
 cultivation.FL_ID = site_state.FL_ID) INNER JOIN (slvpflan INNER JOIN slvopspa ON
slvpflan.kop_ix = slvopspa.item_ix) ON
 cultivation.Item_IX = slvpflan.ITEM_IX WHERE (((site_state.status)=1) AND
((cultivation.Macode)=9)) )sql")));

  db.dropTable(QStringLiteral("_org_dnger"));
  log_count(feedback, "crop_oa :", db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.year as year_, cultivation.Sim_Quantity,
slvopspa.NAME as name_, slvopspa.K, slvopspa.ETA, slvopspa.CNR, slvopspa.CNR_alt,
 slvopspa.item_ix  INTO _org_dnger FROM (cultivation INNER JOIN site_state ON
cultivation.FL_ID = site_state.FL_ID) INNER JOIN slvopspa ON
 cultivation.Item_IX = slvopspa.item_ix WHERE (((cultivation.Macode)=3) AND
((site_state.status)=1)) )sql")));

  // The three kinds of input side by side, each row keeping its calendar year.
  db.dropTable(QStringLiteral("opstab"));
  log_count(feedback, "cops KPrecs:", db.execute(QStringLiteral(R"sql(
SELECT _koppel_prdkt.FL_ID, _koppel_prdkt.year_, _koppel_prdkt.name_ AS NAME_,
_koppel_prdkt.C_kop AS COPS, "KP" AS ctype, _koppel_prdkt.K, _koppel_prdkt.ETA,
_koppel_prdkt.CNR, _koppel_prdkt.CNR_alt AS cnr_alt, _koppel_prdkt.item_ix
INTO opstab FROM _koppel_prdkt)sql")));
  log_count(feedback, "cops OArecs:", db.execute(QStringLiteral(R"sql(
 INSERT INTO opstab ( FL_ID, year_, NAME_, COPS, ctype, K, ETA, CNR,cnr_alt,
item_ix )
SELECT _org_dnger.FL_ID, _org_dnger.year_, _org_dnger.name_,
_org_dnger.Sim_Quantity, "OA" AS ctype, _org_dnger.K, _org_dnger.ETA,
_org_dnger.CNR, _org_dnger.CNR_alt, _org_dnger.item_ix FROM _org_dnger)sql")));
  log_count(feedback, "cops ERrecs:", db.execute(QStringLiteral(R"sql(
 INSERT INTO opstab ( FL_ID, year_, NAME_, COPS, ctype, K, ETA, CNR,cnr_alt,
item_ix )
SELECT _cropping_dt.FL_ID, _cropping_dt.year_, _cropping_dt.name_,
_cropping_dt.c_ewr AS cops, "ER" AS ctype, _cropping_dt.K, _cropping_dt.ETA,
_cropping_dt.CNR, _cropping_dt.CNR_alt, _cropping_dt.item_ix FROM _cropping_dt)sql")));
}

}  // namespace trb::engine
