#!/usr/bin/env python3
"""Cross tables of vev-tally against PSPP's CROSSTABS.

Every pair of single-choice questions of DATAFILE is counted twice: by `vev-tally crosstab`
and by PSPP's CROSSTABS on the answers exported with `vev-tally export` as an SPSS system file
(NG is the user-missing 9, which /MISSING=INCLUDE counts; an unanswered question is
system-missing, which PSPP never counts, so the "無回答" row and column are not compared).
PSPP lists only the values that occur; every count it gives must equal the cross table's, and
every other non-zero cell of the cross table must be in PSPP's table.

usage: pspp_crosstab.py VEV_TALLY DATAFILE
"""

import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile


def vev_crosstab(tally, datafile, r, c):
    out = subprocess.run([tally, "crosstab", datafile, str(r), str(c)], check=True,
                         capture_output=True).stdout.decode("utf-8")
    rows = list(csv.reader(io.StringIO(out)))
    columns = rows[0][1:-1]  # without the total
    body = rows[1:[r[0] if r else "" for r in rows].index("計")]  # up to the total row
    table = {}
    for row in body:
        for label, cell in zip(columns, row[1:-1]):
            table[(row[0], label)] = int(cell)
    return table


def category(value):
    value = re.sub(r"\[[a-z]\]$", "", value)  # PSPP's footnote mark on a missing value
    if value == "NG":  # the value label of 9
        return value
    v = int(float(value))
    return {0: "無回答", 9: "NG"}.get(v, str(v))


def pspp_tables(text):
    """{(row var, col var): {(row category, col category): count}} from PSPP's CSV output."""
    tables = {}
    lines = list(csv.reader(io.StringIO(text)))
    i = 0
    while i < len(lines):
        line = lines[i]
        if line and line[0].startswith("Table: ") and " × " in line[0]:
            rv, cv = line[0][len("Table: "):].split(" × ")
            values = lines[i + 2][3:-1]
            counts = {}
            row_value = None
            i += 3
            while i < len(lines) and lines[i] and lines[i][0] != "Total":
                if lines[i][1]:
                    row_value = lines[i][1]
                for value, cell in zip(values, lines[i][3:]):
                    counts[(category(row_value), category(value))] = int(cell)
                i += 1
            tables[(rv, cv)] = counts
        i += 1
    return tables


def main():
    tally, datafile = sys.argv[1], sys.argv[2]
    dump = json.loads(subprocess.run([tally, "dump", datafile], check=True,
                                     capture_output=True).stdout)
    single = [q for q, question in enumerate(dump["Questions"], start=1)
              if question["ChoiceCount"] >= 2 and not question["MultiSelect"]]
    names = " ".join(f"q{q}" for q in single)
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([tally, "export", datafile, os.path.join(work, "answers.sav")],
                       check=True, capture_output=True)
        with open(os.path.join(work, "crosstab.sps"), "w") as syntax:
            syntax.write("SET TVARS=NAMES TNUMBERS=VALUES.\nGET FILE='answers.sav'.\n"
                         f"CROSSTABS /TABLES={names} BY {names} /CELLS=COUNT /MISSING=INCLUDE.\n")
        subprocess.run(["pspp", "crosstab.sps", "-o", "out.csv"], cwd=work, check=True,
                       capture_output=True)
        with open(os.path.join(work, "out.csv"), encoding="utf-8") as out:
            tables = pspp_tables(out.read())

    problems = []
    for r in single:
        for c in single:
            ours = vev_crosstab(tally, datafile, r, c)
            theirs = tables.get((f"q{r}", f"q{c}"))
            if theirs is None:
                problems.append(f"PSPP gave no table q{r} × q{c}")
                continue
            for cell, n in theirs.items():
                if ours.get(cell) != n:
                    problems.append(f"q{r} × q{c} {cell}: PSPP {n}, vev-tally {ours.get(cell)}")
            for cell, n in ours.items():
                if n and cell not in theirs and "無回答" not in cell:
                    problems.append(f"q{r} × q{c} {cell}: vev-tally {n}, not in PSPP's table")
    if problems:
        print("\n".join(problems), file=sys.stderr)
        return 1
    print(f"{len(single) ** 2} cross tables agree with PSPP")
    return 0


if __name__ == "__main__":
    sys.exit(main())
