#include "core/engine/crep.h"

#include "core/db/database.h"

namespace trb::engine {

void build_crep_year(trb::db::Database& db, trb::Feedback& feedback) {
  auto say = [&](const QString& label, int n) { feedback.info(label + QString::number(n)); };
  db.dropTable(QStringLiteral("crep_h1"));
  // harvest and root residues of crops: their nitrogen times the residue's C/N and humification
  say(QStringLiteral("CREP_ewr:"), db.execute(QStringLiteral(R"sql(
SELECT cultivation.FL_ID, cultivation.FL_ID_alt AS FLA, cultivation.year AS year_,
cultivation.Item_IX AS item_ix,
(cultivation.Sim_Quantity*SLVPFLAN.FEWR+SLVPFLAN.CEWR)*SLVOPSPA.CNR_ALT*SLVOPSPA.ETA AS Crep,
cultivation.Macode AS macode, "EWR" AS id_ INTO crep_h1
FROM ((cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN slvopspa ON slvpflan.ewr_ix = slvopspa.item_ix)
INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID
WHERE (((cultivation.Macode) In (2,9)) AND ((site_state.status)=1)))sql")));
  // organic amendments: the carbon applied times the humification
  say(QStringLiteral(" CREP_od:"), db.execute(QStringLiteral(R"sql(
INSERT INTO crep_h1 ( FL_ID, FLA, year_, item_ix, Crep, macode, id_ )
SELECT cultivation.FL_ID, cultivation.FL_ID_alt, cultivation.year, cultivation.Item_IX,
cultivation.Sim_Quantity*slvopspa.ETA, cultivation.Macode, "OD"
FROM (cultivation INNER JOIN slvopspa ON cultivation.Item_IX = slvopspa.item_ix)
INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID
WHERE (((cultivation.Macode)=3) AND ((site_state.status)=1)))sql")));
  // by-products left on the field (harvest code 9)
  say(QStringLiteral("  CREP_kop:"), db.execute(QStringLiteral(R"sql(
INSERT INTO crep_h1 ( FL_ID, FLA, year_, item_ix, Crep, macode, id_ )
SELECT cultivation.FL_ID, cultivation.FL_ID_alt, cultivation.year, slvpflan.ITEM_IX,
cultivation.Quantity*slvpflan.HI*100*slvopspa.TS_GEHALT*slvopspa.C_GEH_TS*slvopspa.ETA,
cultivation.Macode, "KP"
FROM ((cultivation INNER JOIN slvpflan ON cultivation.Item_IX = slvpflan.ITEM_IX)
INNER JOIN slvopspa ON slvpflan.kop_ix = slvopspa.item_ix)
INNER JOIN site_state ON cultivation.FL_ID = site_state.FL_ID
WHERE (((cultivation.Macode)=9) AND ((site_state.status)=1)))sql")));
  db.dropTable(QStringLiteral("crep_year"));
  say(QStringLiteral("crep_year:"), db.execute(QStringLiteral(R"sql(
 SELECT crep_h1.FL_ID, crep_h1.year_ as year_0, Sum(crep_h1.Crep*crep_h1.FLA/100) AS Crep,
 Count(crep_h1.id_) AS n, crep_h1.year_+1 AS year_1, -99.9999 as Corg,-99.9999 as Norg into crep_year
 FROM crep_h1  INNER JOIN site_state ON crep_h1.FL_ID = site_state.FL_ID  GROUP BY
 crep_h1.FL_ID, crep_h1.year_, site_state.status  HAVING (((site_state.status)=1)))sql")));
  say(QStringLiteral("corg updates:"), db.execute(QStringLiteral(R"sql(
 UPDATE Crep_year INNER JOIN measurements ON (Crep_year.FL_ID = measurements.FL_ID)
 AND (Crep_year.year_0 = measurements.year) SET Crep_year.corg = [measurements].[meas_value]
 WHERE (((measurements.M_IX)=7) AND ((measurements.year_number)=0)) )sql")));
  say(QStringLiteral("Norg updates:"), db.execute(QStringLiteral(R"sql(
 UPDATE Crep_year INNER JOIN measurements ON (Crep_year.FL_ID = measurements.FL_ID)
 AND (Crep_year.year_0 = measurements.year) SET Crep_year.Norg = [measurements].[meas_value]
 WHERE (((measurements.M_IX)=0) AND ((measurements.year_number)=0)) )sql")));
}

}  // namespace trb::engine
