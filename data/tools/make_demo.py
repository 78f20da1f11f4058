#!/usr/bin/env python3
"""Writes data/demo.sql, the demo experiments of trb.

A developer tool, not part of the program: run it after changing the demo design and commit both
this script and its output. The random numbers come from a fixed seed, so the output only changes
when the script does.

    python3 data/tools/make_demo.py > data/demo.sql

The demo holds two sites with invented data that behaves like real long-term field trials:
a static fertilisation trial on loess (control, mineral N, farmyard manure, manure + N, straw left
on the field) and an irrigation and crop rotation trial on sand (rainfed, irrigated, irrigated with
slurry, no-till, rotation with clover-grass). Nothing here is output of a model: the measured
series are drawn from simple trends plus noise.
"""

import math
import random

rng = random.Random(20261210)

# Crop keys of the default parameters (slvpflan.ITEM_IX) and organic substances (slvopspa).
WW, WR, SG, TC, SM, ZR, KA, KG = 1, 2, 4, 6, 8, 9, 10, 15
FYM, CATTLE_SLURRY = 301, 302
CAN = 1  # calcium ammonium nitrate (slvmindg)

# Interpolation rows of the biologically active time (same as the default wmzprm rows).
WMZ = [(6, 3.3541, 0.015698, 9.087), (8, 3.1825, 0.01325, 10.2234),
       (11.5, 3.0629, 0.003204, 14.5547), (15, 2.1824, -0.009797, 23.0218),
       (22, 2.1698, -0.02726, 23.6263), (32, 2.0054, -0.03232, 22.9473),
       (44, 1.8676, -0.03178, 22.93)]


def wmz_pas(ltem, nied, fat):
    """Biologically active time from temperature, precipitation and fine fraction."""
    nied = min(max(nied, 450), 700)
    lin = [a * ltem + b * nied + c for (_, a, b, c) in WMZ]
    for i, row in enumerate(WMZ):
        if fat <= row[0]:
            if i == 0:
                return lin[0]
            o = (fat - WMZ[i - 1][0]) / (row[0] - WMZ[i - 1][0])
            return (1 - o) * lin[i - 1] + o * lin[i]
    return lin[-1]


def q(v):
    """SQL literal."""
    if v is None:
        return "NULL"
    if isinstance(v, str):
        return "'" + v.replace("'", "''") + "'"
    if isinstance(v, float):
        return repr(round(v, 6))
    return str(v)


def insert(out, table, cols, rows, per_line=1):
    out.append(f"INSERT INTO {table} ({', '.join(cols)}) VALUES")
    lines = []
    for i in range(0, len(rows), per_line):
        lines.append("  " + ", ".join("(" + ", ".join(q(v) for v in r) + ")"
                                      for r in rows[i:i + per_line]))
    out.append(",\n".join(lines) + ";")
    out.append("")


# Stations -------------------------------------------------------------------------------------

STATIONS = [
    # id, name, mean temperature, mean precipitation, first year, last year, deposition anchors
    dict(id=0, name="Kleinhausen", temp=8.9, prec=495, first=1980, last=2014,
         nd=(1980, 45.0, 2010, 20.0)),
    dict(id=1, name="Heidmoor", temp=8.6, prec=615, first=1985, last=2020,
         nd=(1985, 35.0, 2015, 18.0)),
]

weather = {}  # (station, year) -> (temperature, precipitation)
for st in STATIONS:
    for y in range(st["first"], st["last"] + 1):
        warming = 0.03 * (y - st["first"])
        t = st["temp"] - 0.4 + warming + rng.gauss(0, 0.6)
        p = st["prec"] * math.exp(rng.gauss(0, 0.16))
        weather[(st["id"], y)] = (round(t, 1), round(p, 0))

# Soils ----------------------------------------------------------------------------------------

# Missing values are -99 with their flag false; measured values carry the flag -1.
SOIL_COLS = ["soil_ID", "profile", "BA_RBS_CODE", "BA_RBS", "BA_KA4", "BA_LfL", "clay", "silt",
             "sand", "FAT", "PWP", "FC", "PV", "PD", "BD", "skelett", "cif", "silt_org",
             "sand_org", "FAT_org", "PWP_org", "FC_org", "PV_org", "PD_org", "BD_org", "cif_org"]
SOILS = [
    # fully described loess soil: texture, fine fraction, densities and pore volume measured
    (1, "Kleinhausen Löss-Schwarzerde", "L2Lö", "L", "Ut4", "Lö", 21.0, 68.0, 11.0, 24.0,
     -99, -99, 44.0, -99, 1.45, 0.0, -99, -1, -1, -1, 0, 0, -1, 0, -1, 0),
    # sand with texture only
    (2, "Heidmoor Sand-Braunerde", "S3D", "Sl", "Su2", "S", 5.0, 14.0, 81.0, -99,
     -99, -99, -99, -99, -99, 2.0, -99, -1, -1, 0, 0, 0, 0, 0, 0, 0),
    # loamy sand known by its class and clay content only
    (3, "Heidmoor anlehmiger Sand", "lS3D", "lS", "Sl3", "lS", 9.0, -99, -99, -99,
     -99, -99, -99, -99, -99, 0.0, -99, 0, 0, 0, 0, 0, 0, 0, 0, 0),
]
FAT_ESTIMATE = {1: 24.0, 2: 9.7, 3: 12.5}  # for the stored mean BAT of the plots

# Plots ----------------------------------------------------------------------------------------

# Static trial, rotation sugar beet - spring barley - potatoes - winter wheat.
ROT1 = [ZR, SG, KA, WW]
HARVEST_DATE = {ZR: (15, 10), SG: (1, 8), KA: (10, 9), WW: (5, 8), WR: (25, 7), TC: (30, 7),
                SM: (20, 9), KG: (15, 6)}
# Mean yields in dt/ha (clover-grass in dt dry matter) by yield level.
YIELD = {
    "low": {ZR: 340, SG: 30, KA: 210, WW: 45, WR: 32, TC: 35, SM: 300, KG: 55},
    "mid": {ZR: 520, SG: 47, KA: 320, WW: 70, WR: 48, TC: 55, SM: 430, KG: 80},
    "fym": {ZR: 480, SG: 42, KA: 300, WW: 62, WR: 44, TC: 50, SM: 410, KG: 85},
    "high": {ZR: 580, SG: 52, KA: 360, WW: 78, WR: 52, TC: 60, SM: 470, KG: 90},
}
N_RATE = {ZR: 140, SG: 60, KA: 120, WW: 130, WR: 90, TC: 110, SM: 140, KG: 0}

PLOTS = [
    # FL_ID, experiment, treatment, plot number, block/comment, soil, station, yield level,
    # mineral N share, manure, harvest code, irrigated, slurry, rotation, start Corg, equilibrium
    # Corg
    dict(fl=1, exp=1, desc="Kontrolle (ohne Düngung)", nr="P1", block="FB 12", soil=1, st=0,
         lvl="low", n=0.0, fym=False, code=2, irr=False, slurry=False, rot=ROT1,
         c0=1.74, ceq=1.45),
    dict(fl=2, exp=1, desc="mineralisch N", nr="P2", block="FB 12", soil=1, st=0, lvl="mid",
         n=1.0, fym=False, code=2, irr=False, slurry=False, rot=ROT1, c0=1.74, ceq=1.60),
    dict(fl=3, exp=1, desc="Stallmist", nr="P3", block="FB 12", soil=1, st=0, lvl="fym", n=0.0,
         fym=True, code=2, irr=False, slurry=False, rot=ROT1, c0=1.76, ceq=2.00),
    dict(fl=4, exp=1, desc="Stallmist + mineralisch N", nr="P4", block="FB 12", soil=1, st=0,
         lvl="high", n=0.7, fym=True, code=2, irr=False, slurry=False, rot=ROT1, c0=1.75,
         ceq=2.08),
    dict(fl=5, exp=1, desc="mineralisch N, Stroh verbleibt", nr="P5", block="FB 12", soil=1,
         st=0, lvl="mid", n=1.0, fym=False, code=9, irr=False, slurry=False, rot=ROT1, c0=1.73,
         ceq=1.80),
    dict(fl=6, exp=2, desc="Fruchtfolge ohne Beregnung", nr="B1", block="FB 3", soil=2, st=1,
         lvl="low", n=0.8, fym=False, code=2, irr=False, slurry=False,
         rot=[KA, WR, SM, TC], c0=1.12, ceq=0.95),
    dict(fl=7, exp=2, desc="Fruchtfolge mit Beregnung", nr="B2", block="FB 3", soil=2, st=1,
         lvl="mid", n=1.0, fym=False, code=2, irr=True, slurry=False, rot=[KA, WR, SM, TC],
         c0=1.10, ceq=1.02),
    dict(fl=8, exp=2, desc="Beregnung + Rindergülle", nr="B3", block="FB 3", soil=2, st=1,
         lvl="high", n=0.6, fym=False, code=2, irr=True, slurry=True, rot=[KA, WR, SM, TC],
         c0=1.11, ceq=1.25),
    dict(fl=9, exp=2, desc="Direktsaat, Stroh verbleibt", nr="B4", block="FB 4 NOTILL", soil=3,
         st=1, lvl="mid", n=1.0, fym=False, code=9, irr=False, slurry=False,
         rot=[WR, TC, WR, SM], c0=1.15, ceq=1.35),
    dict(fl=10, exp=2, desc="Fruchtfolge mit Kleegras", nr="B5", block="FB 4", soil=3, st=1,
         lvl="mid", n=0.6, fym=False, code=2, irr=False, slurry=False,
         rot=[KG, KG, KA, WR, SM], c0=1.14, ceq=1.30),
]
EXPERIMENTS = [
    (1, "1", "Kleinhausen", "Demo: statischer Düngungsversuch auf Löss"),
    (2, "2", "Heidmoor", "Demo: Beregnungs- und Fruchtfolgeversuch auf Sand"),
]
STATION = {st["id"]: st for st in STATIONS}
# every plot is selected, so that a first calculation covers the whole demo
SELECTED = {p["fl"] for p in PLOTS}


def main():
    out = ["-- trb demo experiments: two invented sites with ten plots, their soils, weather,",
           "-- management and measurements. Written by data/tools/make_demo.py; edit the script,",
           "-- not this file. The data are illustrative, not from a real trial.", ""]

    insert(out, "experiments", ["exp_id", "vcode", "location", "herkunft"], EXPERIMENTS)

    st_rows = [(s["id"], s["name"], s["nd"][0], s["nd"][1], s["nd"][2], s["nd"][3])
               for s in STATIONS]
    insert(out, "climate_station",
           ["climate_ID", "station", "year0_nd", "ndep_0", "year1_nd", "ndep_1"], st_rows)

    clim = []
    for s in STATIONS:
        clim.append((s["id"], 31, 12, 0, s["temp"], float(s["prec"])))
        for y in range(s["first"], s["last"] + 1):
            t, p = weather[(s["id"], y)]
            clim.append((s["id"], 31, 12, y, t, p))
    insert(out, "climate_data",
           ["climate_ID", "day", "month", "year", "temperature", "precipitation"], clim)

    dep = [(0, 0, 30.0), (1, 0, 25.0)]
    dep += [(1, y, round(18.5 - 0.3 * (y - 2016) + rng.gauss(0, 0.8), 1))
            for y in range(2016, 2021)]
    insert(out, "reg_ndeposit", ["climate_id", "year", "N_dep_y"], dep)

    insert(out, "soilproperties", SOIL_COLS, SOILS)

    fd = []
    for p in PLOTS:
        s = STATION[p["st"]]
        bat = wmz_pas(s["temp"], s["prec"], FAT_ESTIMATE[p["soil"]])
        exp = EXPERIMENTS[p["exp"] - 1]
        classification = [r[1] for r in SOILS if r[0] == p["soil"]][0]
        fd.append((p["fl"], exp[1], exp[2], p["desc"], p["nr"], classification, p["block"],
                   p["soil"], p["st"], round(bat, 1), 0.0288 if p["exp"] == 1 else 0.05))
    insert(out, "field_description",
           ["FL_ID", "versuch_code", "Location", "site_description", "Herkunft",
            "classification", "comment", "soil_ID", "climate_ID", "mw_bat", "area"], fd)

    insert(out, "site_state", ["FL_ID", "status", "marker"],
           [(p["fl"], 1 if p["fl"] in SELECTED else 0, 0) for p in PLOTS])

    cult, meas = [], []
    for p in PLOTS:
        management(p, cult)
        measured_series(p, meas)
    insert(out, "cultivation",
           ["FL_ID", "FL_ID_alt", "day", "month", "year", "Macode", "Item_IX", "Quantity",
            "Sim_Quantity"], cult)
    insert(out, "measurements",
           ["FL_ID", "M_IX", "day", "month", "year", "year_number", "meas_value"], meas)

    insert(out, "referenzen",
           ["lit_id", "Autor", "Jahr", "Titel", "produkt", "herausgeber", "quelle", "ort",
            "band", "seite", "ausgabe"],
           [(1, "Feldmann, H.; Korn, E.", "1998",
             "Dreißig Jahre Stallmist und Mineraldüngung auf Löss: Humusgehalte eines "
             "statischen Versuchs", "JOUR", "", "Archiv für Demo-Ackerbau", "", "44",
             "113-128", "2"),
            (2, "Sandberg, R.", "2012",
             "Beregnung, Fruchtfolge und Direktsaat auf Sand: Kohlenstoff und Stickstoff im "
             "Oberboden", "BOOK", "Demo-Verlag", "Berichte aus dem Feldversuchswesen",
             "Heidmoor", "7", "1-240", "")])
    insert(out, "ref2vcode", ["lit_id", "versuchs_code"], [(1, "1"), (2, "2"), (2, "1")])
    insert(out, "key2ref2fl", ["key_id", "ref_id", "fl_id"], [(4, 1, 3), (3, 2, 9)])

    print("\n".join(out).rstrip() + "\n", end="")


def management(p, cult):
    s = STATION[p["st"]]
    first, last = s["first"], s["last"]
    yields = YIELD[p["lvl"]]
    for y in range(first, last + 1):
        crop = p["rot"][(y - first) % len(p["rot"])]
        t, prec = weather[(p["st"], y)]
        trend = 1 + 0.006 * (y - first)
        if p["irr"]:
            irrigation = max(0, round((s["prec"] - prec + 80) / 25))
        else:
            irrigation = 0
        dry = 1 - (0.25 if (not p["irr"] and prec < 0.8 * s["prec"] and p["st"] == 1) else 0)
        if p["fym"] and crop in (ZR, KA):
            cult.append((p["fl"], 100, 10, 4, y, 3, FYM, 300.0, 0.0))
        if p["slurry"] and crop in (SM, KA):
            cult.append((p["fl"], 100, 20, 4, y, 3, CATTLE_SLURRY, 250.0, 0.0))
        n = round(p["n"] * N_RATE[crop] / 10) * 10
        if n > 0:
            cult.append((p["fl"], 100, 25, 3, y, 4, CAN, float(n), 0.0))
        for k in range(irrigation):
            cult.append((p["fl"], 100, 5 + 7 * (k % 4), 6 + k // 4, y, 7, -99, 25.0, 0.0))
        yld = yields[crop] * trend * dry * math.exp(rng.gauss(0, 0.08))
        day, month = HARVEST_DATE[crop]
        code = 2 if crop == KG else p["code"]
        cult.append((p["fl"], 100, day, month, y, code, crop, round(yld, 1), 0.0))
        if crop == KG:  # a second cut
            cult.append((p["fl"], 100, 20, 8, y, 2, crop, round(0.7 * yld, 1), 0.0))


def measured_series(p, meas):
    """Soil carbon approaching the treatment's equilibrium, nitrogen at a C/N near the site's,
    microbial carbon at about two percent of the soil carbon."""
    s = STATION[p["st"]]
    first, last = s["first"], s["last"]
    cn = 10.6 if p["st"] == 0 else 12.1
    meas.append((p["fl"], 7, 15, 3, first, 0, p["c0"]))
    meas.append((p["fl"], 0, 15, 3, first, 0, round(p["c0"] / cn, 3)))
    if p["fl"] == 1:
        meas.append((p["fl"], -1, 15, 3, first, 0, -0.1))
    for y in range(first + 3, last + 1, 3):
        t = y - first
        c = p["ceq"] + (p["c0"] - p["ceq"]) * math.exp(-t / 25.0)
        c *= math.exp(rng.gauss(0, 0.03))
        num = 1 + y - first
        meas.append((p["fl"], 7, 20, 3, y, num, round(c, 3)))
        meas.append((p["fl"], 0, 20, 3, y, num, round(c / (cn * math.exp(rng.gauss(0, 0.04))),
                                                       3)))
        if (y - first) % 9 == 0:
            cmic = 200 * c * math.exp(rng.gauss(0, 0.1))
            meas.append((p["fl"], 5, 20, 3, y, num, round(cmic, 0)))


if __name__ == "__main__":
    main()
