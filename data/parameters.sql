-- trb default model parameters: crops, organic primary substances, mineral fertilisers, actions,
-- the measurement property catalogue, the coefficients of the biologically active time, the humus
-- reproduction tables of the humus balance methods, the nitrogen balance tables and the literature
-- catalogues. The values are illustrative defaults taken from the usual ranges of the agronomic
-- literature; users calibrate them for their sites and experiments.
-- NAME, ACTION and def_intensity hold the German text (the first-start language); the program
-- copies the _de or _en column into them when the language changes.
--
-- Units: harvests and by-products in dt per ha (forage crops in dt dry matter), N_Gehalt in kg N
-- per dt harvested product, organic fertilisers in dt fresh matter per ha, ts_gehalt and c_geh_ts
-- as fractions, k per unit of biologically active time, ros values in kg humus carbon per ha.

-- Organic primary substances: 1xx harvest and root residues, 2xx by-products and green manure,
-- 3xx organic fertilisers. cnr is the C/N ratio of the substance's pool, cnr_alt the C/N ratio it
-- arrives with (lower for slurries, whose ammonium is released at once).
INSERT INTO slvopspa (item_ix, od, NAME, NAME_de, NAME_en, k, eta, cnr, cnr_alt, ts_gehalt, c_geh_ts, ros_ix) VALUES
  (101, 0, 'Ernte- und Wurzelrückstände Getreide', 'Ernte- und Wurzelrückstände Getreide', 'harvest and root residues, cereals', 0.030, 0.35, 40, 40, 0.86, 0.45, 5),
  (102, 0, 'Ernte- und Wurzelrückstände Mais', 'Ernte- und Wurzelrückstände Mais', 'harvest and root residues, maize', 0.030, 0.35, 45, 45, 0.86, 0.45, 5),
  (103, 0, 'Ernte- und Wurzelrückstände Rüben', 'Ernte- und Wurzelrückstände Rüben', 'harvest and root residues, beets', 0.050, 0.25, 25, 25, 0.20, 0.40, 6),
  (104, 0, 'Ernte- und Wurzelrückstände Kartoffeln', 'Ernte- und Wurzelrückstände Kartoffeln', 'harvest and root residues, potatoes', 0.050, 0.25, 25, 25, 0.20, 0.40, 6),
  (105, 0, 'Ernte- und Wurzelrückstände Raps', 'Ernte- und Wurzelrückstände Raps', 'harvest and root residues, oilseed rape', 0.030, 0.30, 40, 40, 0.86, 0.45, 5),
  (106, 0, 'Ernte- und Wurzelrückstände Körnerleguminosen', 'Ernte- und Wurzelrückstände Körnerleguminosen', 'harvest and root residues, grain legumes', 0.045, 0.30, 20, 20, 0.86, 0.45, 5),
  (107, 0, 'Ernte- und Wurzelrückstände Futterleguminosen', 'Ernte- und Wurzelrückstände Futterleguminosen', 'harvest and root residues, forage legumes', 0.040, 0.35, 15, 15, 0.20, 0.42, 7),
  (108, 0, 'Ernte- und Wurzelrückstände Gras', 'Ernte- und Wurzelrückstände Gras', 'harvest and root residues, grass', 0.035, 0.35, 20, 20, 0.20, 0.42, 7),
  (201, 0, 'Getreidestroh', 'Getreidestroh', 'cereal straw', 0.040, 0.25, 80, 80, 0.86, 0.45, 5),
  (202, 0, 'Maisstroh', 'Maisstroh', 'maize stover', 0.040, 0.25, 60, 60, 0.86, 0.45, 5),
  (203, 0, 'Rübenblatt', 'Rübenblatt', 'beet leaves', 0.070, 0.15, 15, 15, 0.16, 0.40, 6),
  (204, 0, 'Kartoffelkraut', 'Kartoffelkraut', 'potato haulm', 0.060, 0.15, 20, 20, 0.20, 0.40, 6),
  (205, 0, 'Rapsstroh', 'Rapsstroh', 'oilseed rape straw', 0.040, 0.25, 70, 70, 0.86, 0.45, 5),
  (206, 0, 'Leguminosenstroh', 'Leguminosenstroh', 'legume straw', 0.050, 0.20, 35, 35, 0.86, 0.45, 5),
  (207, -1, 'Gründüngung', 'Gründüngung', 'green manure', 0.070, 0.15, 15, 15, 0.12, 0.40, 7),
  (301, -1, 'Stallmist (Rind)', 'Stallmist (Rind)', 'farmyard manure (cattle)', 0.020, 0.45, 15, 14, 0.25, 0.38, 1),
  (302, -1, 'Rindergülle', 'Rindergülle', 'cattle slurry', 0.050, 0.30, 10, 6, 0.08, 0.40, 2),
  (303, -1, 'Schweinegülle', 'Schweinegülle', 'pig slurry', 0.060, 0.25, 9, 4, 0.05, 0.38, 3),
  (304, -1, 'Kompost', 'Kompost', 'compost', 0.006, 0.60, 15, 14, 0.60, 0.25, 4),
  (305, -1, 'Geflügelmist', 'Geflügelmist', 'poultry manure', 0.050, 0.30, 9, 6, 0.50, 0.35, 8),
  (306, -1, 'Gärrest', 'Gärrest', 'biogas digestate', 0.030, 0.35, 10, 4, 0.07, 0.38, 9),
  (307, -1, 'Stroh (zugeführt)', 'Stroh (zugeführt)', 'straw (applied)', 0.040, 0.25, 80, 80, 0.86, 0.45, 5);

-- Crops. Residue nitrogen = CEWR + FEWR x harvested nitrogen; HI = by-product per harvested
-- product; ewr_ix/kop_ix/grd_ix are substances above, ros_ix a row of ros_pflan/st_ros_pfl.
INSERT INTO slvpflan (ITEM_IX, NAME, NAME_de, NAME_en, kurzbez, CEWR, FEWR, ewr_ix, kop_ix, HI, N_Gehalt, grd_ix, ros_ix) VALUES
  (1, 'Winterweizen', 'Winterweizen', 'winter wheat', 'WW', 15, 0.18, 101, 201, 0.8, 1.81, 101, 4),
  (2, 'Winterroggen', 'Winterroggen', 'winter rye', 'WR', 15, 0.20, 101, 201, 0.9, 1.51, 101, 4),
  (3, 'Wintergerste', 'Wintergerste', 'winter barley', 'WG', 15, 0.18, 101, 201, 0.7, 1.65, 101, 4),
  (4, 'Sommergerste', 'Sommergerste', 'spring barley', 'SG', 12, 0.18, 101, 201, 0.8, 1.40, 101, 4),
  (5, 'Hafer', 'Hafer', 'oats', 'HA', 12, 0.20, 101, 201, 1.1, 1.51, 101, 4),
  (6, 'Triticale', 'Triticale', 'triticale', 'TC', 15, 0.18, 101, 201, 0.9, 1.65, 101, 4),
  (7, 'Körnermais', 'Körnermais', 'grain maize', 'KM', 20, 0.15, 102, 202, 1.0, 1.38, 102, 9),
  (8, 'Silomais', 'Silomais', 'silage maize', 'SM', 20, 0.10, 102, 202, 0.0, 0.38, 102, 3),
  (9, 'Zuckerrübe', 'Zuckerrübe', 'sugar beet', 'ZR', 10, 0.10, 103, 203, 0.7, 0.18, 103, 1),
  (10, 'Kartoffel', 'Kartoffel', 'potatoes', 'KA', 8, 0.10, 104, 204, 0.2, 0.35, 104, 2),
  (11, 'Winterraps', 'Winterraps', 'winter oilseed rape', 'WRA', 20, 0.12, 105, 205, 1.7, 3.35, 105, 4),
  (12, 'Erbsen', 'Erbsen', 'field peas', 'ERB', 20, 0.10, 106, 206, 1.0, 3.60, 106, 5),
  (13, 'Ackerbohnen', 'Ackerbohnen', 'faba beans', 'AB', 20, 0.10, 106, 206, 1.0, 4.10, 106, 5),
  (14, 'Luzerne', 'Luzerne', 'lucerne', 'LUZ', 60, 0.20, 107, 207, 0.0, 2.80, 107, 8),
  (15, 'Kleegras', 'Kleegras', 'clover-grass', 'KG', 50, 0.20, 107, 207, 0.0, 2.40, 107, 6),
  (16, 'Ackergras', 'Ackergras', 'grass', 'GRA', 40, 0.15, 108, 207, 0.0, 2.20, 108, 6),
  (17, 'Futterrübe', 'Futterrübe', 'fodder beet', 'FR', 10, 0.10, 103, 203, 0.4, 0.14, 103, 1),
  (18, 'Zwischenfrucht', 'Zwischenfrucht', 'catch crop', 'ZWF', 10, 0.50, 207, 207, 0.0, 2.50, 207, 7),
  (19, 'Sommerweizen', 'Sommerweizen', 'spring wheat', 'SW', 12, 0.18, 101, 201, 0.8, 2.00, 101, 4),
  (20, 'Dinkel', 'Dinkel', 'spelt', 'DI', 15, 0.18, 101, 201, 0.9, 1.70, 101, 4),
  (21, 'Sonnenblume', 'Sonnenblume', 'sunflower', 'SB', 15, 0.12, 105, 205, 2.0, 2.70, 105, 4),
  (22, 'Brache', 'Brache', 'fallow', 'BRA', 15, 0.00, 108, 207, 0.0, 0.00, 108, 10);

-- Mineral fertilisers: N_GEHALT in % N, the shares in % of the nitrogen.
INSERT INTO slvmindg (item_ix, NAME, kurzbez, N_GEHALT, AMMANTEIL, NITRATANTEIL, AMIDANTEIL) VALUES
  (1, 'Kalkammonsalpeter (KAS)', 'KAS', 27, 50, 50, 0),
  (2, 'Harnstoff', 'HST', 46, 0, 0, 100),
  (3, 'Ammonnitrat-Harnstoff-Lösung (AHL)', 'AHL', 28, 25, 25, 50),
  (4, 'Schwefelsaures Ammoniak (SSA)', 'SSA', 21, 100, 0, 0),
  (5, 'Ammonnitrat', 'AN', 34, 50, 50, 0),
  (6, 'Kalksalpeter', 'KS', 15.5, 7, 93, 0),
  (7, 'Diammonphosphat (DAP)', 'DAP', 18, 100, 0, 0),
  (8, 'NPK 15-15-15', 'NPK', 15, 50, 50, 0),
  (9, 'Mineral-N (allgemein)', 'N', 100, 50, 50, 0);

-- Management actions (cultivation.Macode).
INSERT INTO SLVAKTION (ACTION_ID, ACTION, action_de, action_en, UNIT_INTENSITY, def_intensity, def_intensity_de, def_intensity_en) VALUES
  (0, 'Bodenbearbeitung', 'Bodenbearbeitung', 'soil tillage', 'cm', 'Bearbeitungstiefe', 'Bearbeitungstiefe', 'working depth'),
  (1, 'Aussaat', 'Aussaat', 'sowing', 'kg/ha', 'Saatmenge', 'Saatmenge', 'seed rate'),
  (2, 'Ernte, Nebenprodukt abgefahren', 'Ernte, Nebenprodukt abgefahren', 'harvest, by-product removed', 'dt/ha', 'Ertrag', 'Ertrag', 'yield'),
  (3, 'organische Düngung', 'organische Düngung', 'organic fertilisation', 'dt/ha', 'Menge (Frischmasse)', 'Menge (Frischmasse)', 'amount (fresh matter)'),
  (4, 'mineralische N-Düngung', 'mineralische N-Düngung', 'mineral N fertilisation', 'kg N/ha', 'N-Menge', 'N-Menge', 'N amount'),
  (5, 'Pflanzenschutz', 'Pflanzenschutz', 'plant protection', 'l/ha', 'Aufwandmenge', 'Aufwandmenge', 'rate'),
  (6, 'Kalkung', 'Kalkung', 'liming', 'dt CaO/ha', 'Kalkmenge', 'Kalkmenge', 'lime amount'),
  (7, 'Beregnung', 'Beregnung', 'irrigation', 'mm', 'Wassermenge', 'Wassermenge', 'water amount'),
  (8, 'Stoppelbearbeitung', 'Stoppelbearbeitung', 'stubble tillage', 'cm', 'Bearbeitungstiefe', 'Bearbeitungstiefe', 'working depth'),
  (9, 'Ernte, Nebenprodukt verbleibt', 'Ernte, Nebenprodukt verbleibt', 'harvest, by-product left on the field', 'dt/ha', 'Ertrag', 'Ertrag', 'yield'),
  (10, 'Phosphatdüngung', 'Phosphatdüngung', 'phosphate fertilisation', 'kg P/ha', 'P-Menge', 'P-Menge', 'P amount'),
  (11, 'Kalidüngung', 'Kalidüngung', 'potash fertilisation', 'kg K/ha', 'K-Menge', 'K-Menge', 'K amount'),
  (12, 'Schnitt (Futternutzung)', 'Schnitt (Futternutzung)', 'cut (forage)', 'dt TM/ha', 'Ertrag', 'Ertrag', 'yield'),
  (21, 'Magnesiumdüngung', 'Magnesiumdüngung', 'magnesium fertilisation', 'kg Mg/ha', 'Mg-Menge', 'Mg-Menge', 'Mg amount'),
  (22, 'Schwefeldüngung', 'Schwefeldüngung', 'sulphur fertilisation', 'kg S/ha', 'S-Menge', 'S-Menge', 'S amount'),
  (23, 'Spurennährstoffdüngung', 'Spurennährstoffdüngung', 'micronutrient fertilisation', 'kg/ha', 'Menge', 'Menge', 'amount');

-- Measured properties (measurements.M_IX). KLASSE: 1 carbon and nitrogen, 2 chemistry,
-- 3 biology, 4 physics, 9 model quantities.
INSERT INTO SLN_MWML (M_IX, MERKMAL, KURZBEZ, F_LENGTH, F_DECS, EINHEIT, KLASSE, BEZEICHNUNG) VALUES
  (-1, 'AKTIVPOOL_ABWEICHUNG', 'dAktiv', 8, 3, '-', 9, 'Startabweichung aktiver Pool (active pool dev.)'),
  (0, 'GESAMTSTICKSTOFF', 'Nt', 8, 3, '%', 1, 'Gesamtstickstoff (total nitrogen)'),
  (1, 'PH_WERT', 'pH', 6, 1, '-', 2, 'pH-Wert CaCl2 (pH)'),
  (2, 'PHOSPHOR_CAL', 'P_CAL', 6, 1, 'mg/100g', 2, 'Phosphor CAL (phosphorus, CAL)'),
  (3, 'KALIUM_CAL', 'K_CAL', 6, 1, 'mg/100g', 2, 'Kalium CAL (potassium, CAL)'),
  (4, 'MAGNESIUM', 'Mg', 6, 1, 'mg/100g', 2, 'Magnesium CaCl2 (magnesium)'),
  (5, 'MIKROB_KOHLENSTOFF', 'Cmic', 8, 0, 'ppm', 3, 'mikrobieller Kohlenstoff (microbial carbon)'),
  (6, 'NMIN', 'Nmin', 6, 1, 'kg N/ha', 2, 'mineralischer Stickstoff (mineral nitrogen)'),
  (7, 'ORG_KOHLENSTOFF', 'Corg', 8, 3, '%', 1, 'org. Kohlenstoff (soil organic carbon)'),
  (8, 'TROCKENROHDICHTE', 'TRD', 6, 2, 'g/cm3', 4, 'Trockenrohdichte (bulk density)'),
  (9, 'HEISSWASSER_C', 'Chwl', 8, 1, 'mg/100g', 3, 'heißwasserlöslicher C (hot-water carbon)'),
  (10, 'MIKROB_STICKSTOFF', 'Nmic', 8, 1, 'ppm', 3, 'mikrobieller Stickstoff (microbial nitrogen)'),
  (11, 'CARBONAT', 'CaCO3', 6, 1, '%', 2, 'Carbonat (carbonate)');

-- Biologically active time by fine-particle content: the interpolation rows.
INSERT INTO wmzprm (xfat, xa, xb, xc) VALUES
  (6, 3.3541, 0.015698, 9.087),
  (8, 3.1825, 0.01325, 10.2234),
  (11.5, 3.0629, 0.003204, 14.5547),
  (15, 2.1824, -0.009797, 23.0218),
  (22, 2.1698, -0.02726, 23.6263),
  (32, 2.0054, -0.03232, 22.9473),
  (44, 1.8676, -0.03178, 22.93);

-- Pore-size divisors of the inert carbon fraction (fine, medium, coarse pores).
INSERT INTO pore_size_parm (mi, me, ma) VALUES (4, 10, 20);

-- Regression of the biologically active time per class of usable field capacity (1: <= 15,
-- 2: 15..20, 3: 20..23, 4: >= 23 vol%): A + P1 clay + P2 silt + P3 temperature + P4 rain +
-- P5 PV + P6 PWP + P7 FC + clay (P8 FC + P9 PWP + P10 PV) + silt (P11 FC + P12 PWP + P13 PV)
-- + temperature (P14 FC + P15 PWP + P16 PV) + rain (P17 FC + P18 PWP + P19 PV).
INSERT INTO BAT_FAK (soil_cat, A, P1, P2, P3, P4, P5, P6, P7, P8, P9, P10, P11, P12, P13, P14, P15, P16, P17, P18, P19) VALUES
  (1, 8.0, 0.10, 0.02, 2.9, 0.010, 0.05, -0.10, 0.08, 0, 0, 0, 0, 0, 0, 0.002, 0, 0, 0, 0, 0),
  (2, 10.0, 0.05, 0.02, 2.6, 0.006, 0.05, -0.10, 0.05, 0, 0, 0, 0, 0, 0, 0.002, 0, 0, 0, 0, 0),
  (3, 14.0, -0.05, 0.02, 2.3, 0.002, 0.05, -0.10, 0.05, 0, 0, 0, 0, 0, 0, 0.002, 0, 0, 0, 0, 0),
  (4, 16.0, -0.08, 0.01, 2.1, -0.004, 0.05, -0.12, 0.06, 0, 0, 0, 0, 0, 0, 0.002, 0, 0, 0, 0, 0);

-- Humus reproduction of crop classes (LUFA method), kg humus C per ha and year: lower and upper
-- value of the published ranges.
INSERT INTO ros_pflan (ros_ix, ros_og, ros_ug) VALUES
  (1, -1300, -760),  -- sugar and fodder beet
  (2, -1000, -760),  -- potatoes
  (3, -800, -560),   -- silage maize
  (4, -400, -280),   -- cereals, oilseeds
  (5, 240, 160),     -- grain legumes
  (6, 800, 600),     -- clover-grass, grass (main year of use)
  (7, 120, 80),      -- catch crop
  (8, 800, 600),     -- lucerne (main year of use)
  (9, -800, -560),   -- grain maize
  (10, 180, 100);    -- fallow

-- Humus reproduction of organic fertilisers and by-products, kg humus C per t fresh matter at
-- the dry matter percentage TS_proz.
INSERT INTO ros_od (ros_ix, Name, c_hum, TS_proz) VALUES
  (1, 'Stallmist', 40, 25),
  (2, 'Rindergülle', 9, 7),
  (3, 'Schweinegülle', 5, 5),
  (4, 'Kompost', 46, 50),
  (5, 'Stroh', 100, 86),
  (6, 'Rübenblatt, Kartoffelkraut', 8, 16),
  (7, 'Gründüngung', 10, 10),
  (8, 'Geflügelmist', 50, 50),
  (9, 'Gärrest', 9, 7);

-- Humus change of crop classes by site group (KOLBE method), kg humus C per ha and year. Site
-- group 1 (light, dry) to 6 (heavy, cool); a class's base value scaled by the group's factor.
WITH crop(ros_ix, base) AS (
  VALUES (1, -1000), (2, -850), (3, -650), (4, -320), (5, 180), (6, 700), (7, 130), (8, 700),
         (9, -650), (10, 150)
), grp(st_gr, f) AS (
  VALUES (1, 0.6), (2, 0.8), (3, 1.0), (4, 1.1), (5, 1.2), (6, 1.3)
)
INSERT INTO st_ros_pfl (ros_ix, st_gr, ros)
SELECT crop.ros_ix, grp.st_gr, round(crop.base * grp.f) FROM crop, grp ORDER BY crop.ros_ix, grp.st_gr;

-- Humus change of organic fertilisers (KOLBE method), kg humus C per t fresh matter, for amounts
-- above m_ug and up to m_og t per ha.
INSERT INTO st_ros_od (ros_ix, c_hum, m_ug, m_og) VALUES
  (1, 48, 0, 20), (1, 42, 20, 40), (1, 36, 40, 200),
  (2, 10, 0, 30), (2, 8, 30, 200),
  (3, 6, 0, 30), (3, 5, 30, 200),
  (4, 60, 0, 20), (4, 50, 20, 200),
  (5, 110, 0, 10), (5, 100, 10, 200),
  (6, 9, 0, 200),
  (7, 10, 0, 200),
  (8, 50, 0, 200),
  (9, 9, 0, 200);

-- Symbiotic nitrogen fixation of legumes: kg N per ha = Quantity x faktor + konstante.
INSERT INTO leg_parm (item_ix, faktor, konstante) VALUES
  (12, 3.0, 0),
  (13, 3.5, 0),
  (14, 2.5, 20),
  (15, 1.6, 10);

-- Nitrogen in seed: seed rate kg per ha, N content %, years of use.
INSERT INTO n_saat_imp (ITEM_IX, menge, n_gehalt, nutzungsjahre) VALUES
  (1, 180, 2.0, 1), (2, 120, 1.6, 1), (3, 150, 1.8, 1), (4, 150, 1.6, 1), (5, 140, 1.8, 1),
  (6, 160, 1.9, 1), (7, 30, 1.5, 1), (8, 30, 1.5, 1), (9, 3, 2.0, 1), (10, 2500, 0.35, 1),
  (11, 4, 3.5, 1), (12, 220, 3.8, 1), (13, 250, 4.3, 1), (14, 25, 6.0, 3), (15, 30, 4.0, 2),
  (16, 35, 2.5, 2), (17, 3, 2.0, 1), (18, 20, 4.0, 1), (19, 180, 2.1, 1), (20, 200, 1.8, 1),
  (21, 6, 2.8, 1);

-- Keywords linking references to plots; 1 to 3 are the groups the reference list filters by.
INSERT INTO refkey_def (key_id, key_name, description) VALUES
  (0, 'allgemein', 'general description of the experiment'),
  (1, 'Boden', 'soil parameters'),
  (2, 'Klima', 'climate and weather'),
  (3, 'Bewirtschaftung', 'management'),
  (4, 'Messwerte', 'measurements of soil carbon and nitrogen'),
  (5, 'Modellierung', 'modelling of the experiment');

-- Tags of tagged bibliography files and the reference columns they fill.
INSERT INTO RiS_import (tag, attribute, destination, cut_at, connector) VALUES
  ('TY', 'produkt', 'referenzen', '', ''),
  ('AU', 'Autor', 'referenzen', '', ';'),
  ('A1', 'Autor', 'referenzen', '', ';'),
  ('PY', 'Jahr', 'referenzen', '/', ''),
  ('Y1', 'Jahr', 'referenzen', '/', ''),
  ('TI', 'Titel', 'referenzen', '', ''),
  ('T1', 'Titel', 'referenzen', '', ''),
  ('T2', 'quelle', 'referenzen', '', ';'),
  ('JO', 'quelle', 'referenzen', '', ';'),
  ('JF', 'quelle', 'referenzen', '', ';'),
  ('PB', 'herausgeber', 'referenzen', '', ';'),
  ('CY', 'ort', 'referenzen', '', ';'),
  ('VL', 'band', 'referenzen', '', ''),
  ('SP', 'seite', 'referenzen', '', ''),
  ('EP', 'seite', 'referenzen', '', '-'),
  ('IS', 'ausgabe', 'referenzen', '', ''),
  ('ER', 'FLUSH', 'referenzen', '', '');
