-- trb database schema: the persistent tables of an experiment database (experiment data, model
-- parameters, literature, results). Plain SQLite, run statement by statement in one transaction.
-- Types: INTEGER, REAL, TEXT COLLATE NOCASE (names compare without case), YESNO (-1 true, 0 false),
-- DATETIME (ISO text). Work tables (tmp_*, crep_*, opstab, ...) are not here: the calculations
-- create and drop them. Result tables that are appended positionally keep their column order.

-- Experiment data ---------------------------------------------------------------------------

CREATE TABLE experiments (
  exp_id INTEGER PRIMARY KEY,
  vcode TEXT COLLATE NOCASE,
  location TEXT COLLATE NOCASE,
  herkunft TEXT COLLATE NOCASE
);

CREATE TABLE field_description (
  FL_ID INTEGER PRIMARY KEY,
  versuch_code TEXT COLLATE NOCASE,
  Location TEXT COLLATE NOCASE,
  site_description TEXT COLLATE NOCASE,
  Herkunft TEXT COLLATE NOCASE,
  classification TEXT COLLATE NOCASE,
  comment TEXT COLLATE NOCASE,
  soil_ID INTEGER,
  climate_ID INTEGER,
  mw_bat REAL,
  area REAL DEFAULT -99
);

-- Third column: written 0 on creation, read by nobody.
CREATE TABLE site_state (
  FL_ID INTEGER PRIMARY KEY,
  status INTEGER DEFAULT 0,
  marker INTEGER DEFAULT 0
);

CREATE TABLE soilproperties (
  soil_ID INTEGER PRIMARY KEY,
  profile TEXT COLLATE NOCASE,
  BA_RBS_CODE TEXT COLLATE NOCASE,
  BA_RBS TEXT COLLATE NOCASE,
  BA_KA4 TEXT COLLATE NOCASE,
  BA_LfL TEXT COLLATE NOCASE,
  clay REAL,
  silt REAL,
  sand REAL,
  FAT REAL,
  PWP REAL,
  FC REAL,
  PV REAL,
  PD REAL,
  BD REAL,
  skelett REAL DEFAULT 0,
  cif REAL,
  silt_org YESNO DEFAULT 0,
  sand_org YESNO DEFAULT 0,
  FAT_org YESNO DEFAULT 0,
  PWP_org YESNO DEFAULT 0,
  FC_org YESNO DEFAULT 0,
  PV_org YESNO DEFAULT 0,
  PD_org YESNO DEFAULT 0,
  BD_org YESNO DEFAULT 0,
  cif_org YESNO DEFAULT 0
);

CREATE TABLE climate_station (
  climate_ID INTEGER PRIMARY KEY,
  station TEXT COLLATE NOCASE,
  year0_nd INTEGER,
  ndep_0 REAL,
  year1_nd INTEGER,
  ndep_1 REAL
);

CREATE TABLE climate_data (
  climate_ID INTEGER,
  day INTEGER,
  month INTEGER,
  year INTEGER,
  temperature REAL,
  precipitation REAL
);
CREATE INDEX climate_data_station_year ON climate_data (climate_ID, year);

CREATE TABLE reg_ndeposit (
  climate_id INTEGER,
  year INTEGER,
  N_dep_y REAL
);

CREATE TABLE cultivation (
  cultivation_id INTEGER PRIMARY KEY AUTOINCREMENT,
  FL_ID INTEGER,
  FL_ID_alt INTEGER,
  day INTEGER,
  month INTEGER,
  year INTEGER,
  Macode INTEGER,
  Item_IX INTEGER,
  Quantity REAL,
  Sim_Quantity REAL
);
CREATE INDEX cultivation_plot_year ON cultivation (FL_ID, year);

CREATE TABLE measurements (
  meas_id INTEGER PRIMARY KEY AUTOINCREMENT,
  FL_ID INTEGER,
  M_IX INTEGER,
  day INTEGER,
  month INTEGER,
  year INTEGER,
  year_number INTEGER,
  meas_value REAL
);
CREATE INDEX measurements_plot_kind ON measurements (FL_ID, M_IX, year_number);

-- Model parameters --------------------------------------------------------------------------

-- NAME holds the name in the current language, copied from NAME_de or NAME_en at start-up.
CREATE TABLE slvpflan (
  ITEM_IX INTEGER PRIMARY KEY,
  NAME TEXT COLLATE NOCASE,
  NAME_de TEXT COLLATE NOCASE,
  NAME_en TEXT COLLATE NOCASE,
  kurzbez TEXT COLLATE NOCASE,
  CEWR REAL,
  FEWR REAL,
  ewr_ix INTEGER,
  kop_ix INTEGER,
  HI REAL,
  N_Gehalt REAL,
  grd_ix INTEGER,
  ros_ix INTEGER
);

CREATE TABLE slvopspa (
  item_ix INTEGER PRIMARY KEY,
  od YESNO DEFAULT 0,
  NAME TEXT COLLATE NOCASE,
  NAME_de TEXT COLLATE NOCASE,
  NAME_en TEXT COLLATE NOCASE,
  k REAL,
  eta REAL,
  cnr REAL,
  cnr_alt REAL,
  ts_gehalt REAL,
  c_geh_ts REAL,
  ros_ix INTEGER
);

-- N_GEHALT in % N; the shares in % of the nitrogen.
CREATE TABLE slvmindg (
  item_ix INTEGER PRIMARY KEY,
  NAME TEXT COLLATE NOCASE,
  kurzbez TEXT COLLATE NOCASE,
  N_GEHALT REAL,
  AMMANTEIL REAL,
  NITRATANTEIL REAL,
  AMIDANTEIL REAL
);

CREATE TABLE SLVAKTION (
  ACTION_ID INTEGER PRIMARY KEY,
  ACTION TEXT COLLATE NOCASE,
  action_de TEXT COLLATE NOCASE,
  action_en TEXT COLLATE NOCASE,
  UNIT_INTENSITY TEXT COLLATE NOCASE,
  def_intensity TEXT COLLATE NOCASE,
  def_intensity_de TEXT COLLATE NOCASE,
  def_intensity_en TEXT COLLATE NOCASE
);

CREATE TABLE SLN_MWML (
  M_IX REAL PRIMARY KEY,
  MERKMAL TEXT COLLATE NOCASE,
  KURZBEZ TEXT COLLATE NOCASE,
  F_LENGTH REAL,
  F_DECS REAL,
  EINHEIT TEXT COLLATE NOCASE,
  KLASSE REAL,
  BEZEICHNUNG TEXT COLLATE NOCASE
);

-- Biologically active time: interpolation rows in ascending xfat, read in insertion order.
CREATE TABLE wmzprm (
  xfat REAL,
  xa REAL,
  xb REAL,
  xc REAL
);

CREATE TABLE pore_size_parm (
  mi REAL,
  me REAL,
  ma REAL
);

CREATE TABLE BAT_FAK (
  soil_cat INTEGER PRIMARY KEY,
  A REAL,
  P1 REAL, P2 REAL, P3 REAL, P4 REAL, P5 REAL, P6 REAL, P7 REAL, P8 REAL, P9 REAL, P10 REAL,
  P11 REAL, P12 REAL, P13 REAL, P14 REAL, P15 REAL, P16 REAL, P17 REAL, P18 REAL, P19 REAL
);

-- Humus reproduction of the humus balance methods (kg humus carbon per ha).
CREATE TABLE ros_pflan (
  ros_ix INTEGER PRIMARY KEY,
  ros_og REAL,
  ros_ug REAL
);

CREATE TABLE ros_od (
  ros_ix INTEGER PRIMARY KEY,
  Name TEXT COLLATE NOCASE,
  c_hum REAL,
  TS_proz REAL
);

CREATE TABLE st_ros_pfl (
  ros_ix INTEGER,
  st_gr INTEGER,
  ros REAL,
  PRIMARY KEY (ros_ix, st_gr)
);

CREATE TABLE st_ros_od (
  ros_ix INTEGER,
  c_hum REAL,
  m_ug REAL,
  m_og REAL
);

-- Nitrogen balance: legume fixation and nitrogen in seed.
CREATE TABLE leg_parm (
  item_ix INTEGER PRIMARY KEY,
  faktor REAL,
  konstante REAL
);

CREATE TABLE n_saat_imp (
  ITEM_IX INTEGER PRIMARY KEY,
  menge REAL,
  n_gehalt REAL,
  nutzungsjahre REAL
);

-- Literature --------------------------------------------------------------------------------

-- lit_id is numbered by the database when an import leaves it empty.
CREATE TABLE referenzen (
  lit_id INTEGER PRIMARY KEY,
  Autor TEXT COLLATE NOCASE,
  Jahr TEXT COLLATE NOCASE,
  Titel TEXT COLLATE NOCASE,
  produkt TEXT COLLATE NOCASE,
  herausgeber TEXT COLLATE NOCASE,
  quelle TEXT COLLATE NOCASE,
  ort TEXT COLLATE NOCASE,
  band TEXT COLLATE NOCASE,
  seite TEXT COLLATE NOCASE,
  ausgabe TEXT COLLATE NOCASE
);

CREATE TABLE ref2vcode (
  lit_id INTEGER,
  versuchs_code TEXT COLLATE NOCASE
);

CREATE TABLE key2ref2fl (
  key_id INTEGER,
  ref_id INTEGER,
  fl_id INTEGER
);

CREATE TABLE refkey_def (
  key_id INTEGER PRIMARY KEY,
  key_name TEXT COLLATE NOCASE,
  description TEXT COLLATE NOCASE
);

-- One row per tag of a tagged bibliography file: the referenzen column that receives the value
-- (FLUSH ends a record), the table it goes to, a text at which the value is cut off, and the
-- text put between repeated values of the tag.
CREATE TABLE RiS_import (
  tag TEXT COLLATE NOCASE PRIMARY KEY,
  attribute TEXT COLLATE NOCASE,
  destination TEXT COLLATE NOCASE,
  cut_at TEXT COLLATE NOCASE,
  connector TEXT COLLATE NOCASE
);

-- Results -----------------------------------------------------------------------------------

CREATE TABLE rs_table (
  meas_id INTEGER,
  FL_ID INTEGER,
  M_IX INTEGER,
  DAY_ INTEGER,
  MONTH_ INTEGER,
  YEAR_ INTEGER,
  YEAR_NUM INTEGER,
  MEAS_VALUE REAL,
  SIM_value REAL DEFAULT -99
);
CREATE INDEX sort ON rs_table (FL_ID, YEAR_, YEAR_NUM);

CREATE TABLE trb_nresult (
  FL_ID INTEGER,
  year INTEGER,
  n_m_om REAL,
  n_ops REAL,
  C_ops REAL,
  c_som REAL,
  c_inert REAL,
  n_org REAL,
  n_som REAL,
  c_mic REAL,
  c_rep REAL,
  bat REAL
);
CREATE INDEX trb_nresult_plot ON trb_nresult (FL_ID, year);

CREATE TABLE trb_zbv (
  fl_id INTEGER,
  year_ INTEGER,
  C_min_total REAL,
  c_min_fom REAL,
  C_rep_flx REAL,
  C_fom REAL,
  c_som REAL,
  c_inert REAL
);
CREATE INDEX trb_zbv_plot ON trb_zbv (fl_id, year_);

CREATE TABLE trb_driver (
  fl_id INTEGER,
  c_input_mean REAL,
  c_start REAL,
  c_inert_pct REAL,
  bat_mean REAL,
  meas_last REAL,
  sim_last REAL,
  year_num INTEGER
);

CREATE TABLE trb_protokoll (
  fl_id INTEGER,
  run_id INTEGER,
  mean_error REAL,
  RMSD REAL,
  S REAL,
  smw REAL,
  N_ INTEGER,
  bias YESNO,
  datum_ DATETIME
);

CREATE TABLE hubi_c_bilanz (
  FL_ID INTEGER,
  year_ INTEGER,
  Corg REAL,
  ros_ug REAL,
  ros_og REAL,
  ROS_ORAM REAL
);

CREATE TABLE r_stat_res (
  r_script TEXT COLLATE NOCASE,
  source TEXT COLLATE NOCASE
);

CREATE TABLE tmp_ndeposit (
  climate_id INTEGER,
  year INTEGER,
  n_dep_y REAL
);

-- The statistics tables are recreated by the statistics update; these are their first shapes.
CREATE TABLE trb_stat_corg (
  FL_ID INTEGER,
  med REAL,
  rms REAL,
  n INTEGER,
  smw REAL,
  s REAL,
  rele REAL,
  r_krit REAL,
  r_sim REAL,
  r_dif REAL,
  ef REAL,
  rmsprz REAL,
  medprz REAL,
  SB REAL,
  NU REAL,
  LC REAL
);

CREATE TABLE trb_stat_nt (
  FL_ID INTEGER,
  med REAL,
  rms REAL,
  n INTEGER,
  smw REAL,
  s REAL,
  rele REAL,
  r_krit REAL,
  r_sim REAL,
  r_dif REAL,
  ef REAL,
  rmsprz REAL,
  medprz REAL
);
