#!/usr/bin/env python3
"""compare_tables.py A B [TABLE ...]: compares the result and work tables of two trb databases
row by row (in rowid order), value and storage type alike, and prints the first differences.
Exit status 0 when every table is identical. Used to check that a change for speed leaves every
number of a calculation as it was."""
import sqlite3
import sys

TABLES = ["trb_nresult", "trb_zbv", "trb_driver", "rs_table", "tmp_soil_prop", "tmp_bat",
          "opstab", "crep_year", "crep_h1", "clim4sim", "eff_climate", "cultivation"]


def rows(path, table):
    con = sqlite3.connect(path)
    try:
        cur = con.execute(f'SELECT rowid, * FROM "{table}" ORDER BY rowid')
        names = [d[0] for d in cur.description]
        return names, [tuple((type(v).__name__, v) for v in r) for r in cur]
    except sqlite3.OperationalError as e:
        return None, str(e)
    finally:
        con.close()


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    a, b = sys.argv[1], sys.argv[2]
    tables = sys.argv[3:] or TABLES
    same = True
    for t in tables:
        na, ra = rows(a, t)
        nb, rb = rows(b, t)
        if na is None or nb is None:
            print(f"{t}: missing ({ra if na is None else rb})")
            same = False
            continue
        if na != nb:
            print(f"{t}: columns differ: {na} / {nb}")
            same = False
            continue
        diffs = [i for i, (x, y) in enumerate(zip(ra, rb)) if x != y]
        if len(ra) != len(rb) or diffs:
            same = False
            print(f"{t}: {len(ra)} / {len(rb)} rows, {len(diffs)} differ")
            for i in diffs[:3]:
                print("   ", ra[i], "\n   ", rb[i])
        else:
            print(f"{t}: {len(ra)} rows identical")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main())
