#!/usr/bin/env python3
"""Cross tables of vev-tally against PSPP's CROSSTABS.

Every ordered pair of choice questions of DATAFILE (single choice and multi-select) is counted
twice: by `vev-tally crosstab` and by PSPP's CROSSTABS on the answers exported with
`vev-tally export` as an SPSS system file. The export's variables give every cell:
  single choice q<n>    the choice, 9 for NG (user-missing, which /MISSING=INCLUDE counts) and
                        system-missing for an unanswered question, recoded to 0 here so that
                        PSPP counts it: "無回答" is 0, "NG" is 9;
  multi-select q<n>_k   1 where choice k was chosen: the cells of choice k; an unanswered answer
                        is missing in every indicator and an NG answer 9 (user-missing) in
                        every indicator, so the cross table's "無回答" and "NG" together are the
                        respondents whose q<n>_1 is missing or 9 (q<n>_open).
Every cell of every cross table is compared (PSPP lists only the values that occur: a value it
does not list counts 0), and the check fails when a table is missing, when any cell differs, or
when the survey gives no non-zero unanswered, NG or multi-select cell to compare.

With --four-files the survey is four data files of 999, 999, 999 and 503 respondents (DATAFILE's
own respondents and random single-choice answers imported after them), the first counted with
the other three added: the cross tables and the export then cover all 3,500 respondents.

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


def vev_crosstab(tally, datafile, r, c, added=()):
    """{(row label, column label): count} without the totals."""
    out = subprocess.run([tally, "crosstab", datafile, str(r), str(c), *added], check=True,
                         capture_output=True).stdout.decode("utf-8")
    rows = list(csv.reader(io.StringIO(out)))
    columns = rows[0][1:-1]  # without the total
    body = rows[1:[r[0] if r else "" for r in rows].index("計")]  # up to the total row
    table = {}
    for row in body:
        for label, cell in zip(columns, row[1:-1]):
            table[(row[0], label)] = int(cell)
    return table


def value(text):
    text = re.sub(r"\[[a-z]\]$", "", text)  # PSPP's footnote mark on a missing value
    return 9 if text == "NG" else int(float(text))  # "NG" is the value label of 9


def pspp_tables(text):
    """{(row var, col var): {(row value, col value): count}} from PSPP's CSV output."""
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
                for v, cell in zip(values, lines[i][3:]):
                    counts[(value(row_value), value(v))] = int(cell)
                i += 1
            tables[(rv, cv)] = counts
        i += 1
    return tables


def pspp_cell(question, label):
    """The export variable and its value that hold a cross table category of question."""
    q, multi = question
    if not multi:
        return f"q{q}", {"無回答": 0, "NG": 9}[label] if label in ("無回答", "NG") else int(label)
    if label in ("無回答", "NG"):
        return f"q{q}_open", 1
    return f"q{q}_{label}", 1


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
    questions = [(q, question["MultiSelect"]) for q, question in
                 enumerate(dump["Questions"], start=1) if question["ChoiceCount"] >= 2]
    singles = [f"q{q}" for q, multi in questions if not multi]
    sides, opens = [], []
    for q, multi in questions:
        if multi:
            k = dump["Questions"][q - 1]["ChoiceCount"]
            sides += [f"q{q}_{c}" for c in range(1, k + 1)] + [f"q{q}_open"]
            opens.append(f"COMPUTE q{q}_open = SYSMIS(q{q}_1) OR VALUE(q{q}_1) = 9.\n"
                             f"FORMATS q{q}_open (F1.0).\n")
        else:
            sides.append(f"q{q}")
    names = " ".join(sides)
    with tempfile.TemporaryDirectory() as work:
        added = []
        if "--four-files" in sys.argv[3:]:
            counts = [(q, dump["Questions"][q - 1]["ChoiceCount"]) for q, multi in questions
                      if not multi]
            datafile, added = four_files(tally, datafile, dump["RespondentCount"], counts, work)
            subprocess.run([tally, "export", datafile, os.path.join(work, "answers.csv"), *added],
                           check=True, capture_output=True)
            with open(os.path.join(work, "answers.csv"), encoding="utf-8-sig") as exported:
                rows = len(list(csv.reader(exported))) - 1
            if rows != 3500:
                print(f"the export of four files has {rows} rows, not 3500", file=sys.stderr)
                return 1
        subprocess.run([tally, "export", datafile, os.path.join(work, "answers.sav"), *added],
                       check=True, capture_output=True)
        with open(os.path.join(work, "crosstab.sps"), "w", encoding="utf-8") as syntax:
            syntax.write("SET TVARS=NAMES TNUMBERS=VALUES.\nGET FILE='answers.sav'.\n"
                         f"RECODE {' '.join(singles)} (SYSMIS=0).\n" + "".join(opens) +
                         f"CROSSTABS /TABLES={names} BY {names} /CELLS=COUNT /MISSING=INCLUDE.\n")
        subprocess.run(["pspp", "crosstab.sps", "-o", "out.csv"], cwd=work, check=True,
                       capture_output=True)
        with open(os.path.join(work, "out.csv"), encoding="utf-8") as out:
            tables = pspp_tables(out.read())

        problems = []
        compared = 0
        seen = {"unanswered": 0, "NG": 0, "multi-select": 0}  # non-zero cells compared, by kind
        for row in questions:
            for column in questions:
                # vev-tally's cells summed into PSPP's: a multi-select side's 無回答 and NG meet.
                expected = {}
                for (a, b), n in vev_crosstab(tally, datafile, row[0], column[0], added).items():
                    rv, rvalue = pspp_cell(row, a)
                    cv, cvalue = pspp_cell(column, b)
                    key = (rv, cv, rvalue, cvalue)
                    expected[key] = expected.get(key, 0) + n
                    if n:
                        seen["unanswered"] += "無回答" in (a, b)
                        seen["NG"] += "NG" in (a, b)
                        seen["multi-select"] += row[1] or column[1]
                for (rv, cv, rvalue, cvalue), n in expected.items():
                    theirs = tables.get((rv, cv))
                    if theirs is None:
                        problems.append(f"PSPP gave no table {rv} × {cv}")
                        continue
                    compared += 1
                    if theirs.get((rvalue, cvalue), 0) != n:
                        problems.append(f"q{row[0]} × q{column[0]}: {rv}={rvalue}, {cv}={cvalue}: "
                                        f"PSPP {theirs.get((rvalue, cvalue), 0)}, vev-tally {n}")
    for kind, n in seen.items():
        if n == 0:
            problems.append(f"no non-zero {kind} cell was compared")
    if compared == 0:
        problems.append("nothing was compared")
    if problems:
        print("\n".join(sorted(set(problems))), file=sys.stderr)
        return 1
    print(f"{compared} cells of {len(questions) ** 2} cross tables agree with PSPP "
          f"(non-zero: {seen['unanswered']} unanswered, {seen['NG']} NG, "
          f"{seen['multi-select']} multi-select)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
