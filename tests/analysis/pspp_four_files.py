#!/usr/bin/env python3
"""Cross tables of vev-tally against PSPP's CROSSTABS over a survey of several data files.

Every pair of single-choice questions of DATAFILE is counted twice: by `vev-tally crosstab`
and by PSPP's CROSSTABS on the answers exported with `vev-tally export` as an SPSS system file
(NG is the user-missing 9, which /MISSING=INCLUDE counts; an unanswered question is
system-missing, which PSPP never counts, so the "無回答" row and column are not compared).
PSPP lists only the values that occur; every count it gives must equal the cross table's, and
every other non-zero cell of the cross table must be in PSPP's table.

With --four-files the survey is four data files of 999, 999, 999 and 503 respondents (DATAFILE's
own respondents and random answers imported after them), the first counted with the other three
added: the cross tables and the export then cover all 3,500 respondents as one set.

usage: pspp_crosstab.py VEV_TALLY DATAFILE [--four-files]
"""

import csv
import io
import json
import os
import random
import re
import subprocess
import sys
import tempfile


def vev_crosstab(tally, datafile, r, c, added):
    out = subprocess.run([tally, "crosstab", datafile, str(r), str(c)] + added, check=True,
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


def four_files(tally, datafile, own, single, work):
    """a.dat .. d.dat in work: DATAFILE's respondents, then random answers up to 999, 999, 999
    and 503 respondents. Returns a.dat's path and the --add arguments of the other three."""
    rng = random.Random(20261208)
    paths = []
    for name, size in zip("abcd", (999, 999, 999, 503)):
        source = os.path.join(work, name + ".csv")
        with open(source, "w", encoding="utf-8", newline="") as out:
            out.write(",".join(["id"] + [f"q{q}" for q, _ in single]) + "\n")
            for i in range(size - own):
                cells = [str(i + 1)] + [rng.choice([""] + [str(v) for v in range(1, k + 1)] + ["9"])
                                        for _, k in single]
                out.write(",".join(cells) + "\n")
        paths.append(os.path.join(work, name + ".dat"))
        subprocess.run([tally, "import", datafile, source, "-o", paths[-1]], check=True,
                       capture_output=True)
    return paths[0], [a for p in paths[1:] for a in ("--add", p)]


def main():
    tally, datafile = sys.argv[1], sys.argv[2]
    dump = json.loads(subprocess.run([tally, "dump", datafile], check=True,
                                     capture_output=True).stdout)
    single = [q for q, question in enumerate(dump["Questions"], start=1)
              if question["ChoiceCount"] >= 2 and not question["MultiSelect"]]
    names = " ".join(f"q{q}" for q in single)
    with tempfile.TemporaryDirectory() as work:
        added = []
        if "--four-files" in sys.argv[3:]:
            counts = [(q, dump["Questions"][q - 1]["ChoiceCount"]) for q in single]
            datafile, added = four_files(tally, datafile, dump["RespondentCount"], counts, work)
        subprocess.run([tally, "export", datafile, os.path.join(work, "answers.sav")] + added,
                       check=True, capture_output=True)
        if added:
            subprocess.run([tally, "export", datafile, os.path.join(work, "answers.csv")] + added,
                           check=True, capture_output=True)
            with open(os.path.join(work, "answers.csv"), encoding="utf-8-sig") as exported:
                rows = len(list(csv.reader(exported))) - 1
            if rows != 3500:
                print(f"the export of four files has {rows} rows, not 3500", file=sys.stderr)
                return 1
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
                ours = vev_crosstab(tally, datafile, r, c, added)
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
