#!/usr/bin/env python3
"""An outside check of the .sav export: PSPP opens the file vev-tally wrote and its counts must
equal VEV's own tally for every question.

usage: pspp_check.py VEV_TALLY PSPP SURVEY.dat

For the survey of tests/data/export.dat: FREQUENCIES of every variable against the tally of
`vev-tally dump` (single choice: the count of each choice and of NG; numeric: the sum of the
digits and the NG count; multi-select: the count of 1 in each indicator and the NG count as the
count of 9 in every indicator), the multiple-response set of each multi-select question as the
.sps written beside the .sav defines it, through MRSETS /DISPLAY, and a CROSSTABS of q1 by q2
against a table counted by hand. Then the survey with texts (`vev-tally labels --from`):
DISPLAY DICTIONARY must show each wording as its variable's label, each choice text as the
label of its value beside 9 = NG, and each multi-select indicator as "question text: choice
text" with its values 0 and 1 labelled.
"""
import csv
import io
import json
import subprocess
import sys
import tempfile
from pathlib import Path

# q1 (性別) by q2 (年代) in tests/data/export.dat, counted by hand from its answer lines:
#   1: 1 3    2: 2 NG    3: 1 2    4: unanswered 3    5: 2 3    6: 1 6
# Respondent 2 (q2 NG, user-missing) and respondent 4 (q1 unanswered) are left out.
EXPECTED_CROSSTAB = {
    (1, 2): 1, (1, 3): 1, (1, 6): 1,
    (2, 2): 0, (2, 3): 1, (2, 6): 0,
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def tables(text):
    """PSPP's CSV output as {title: rows}."""
    result, title, rows = {}, None, []
    for row in csv.reader(io.StringIO(text)):
        if not row or not any(row):
            if title is not None:
                result[title] = rows
            title, rows = None, []
        elif title is None and row[0].startswith("Table: "):
            title = row[0][len("Table: "):]
        elif title is not None:
            rows.append(row)
    if title is not None:
        result[title] = rows
    return result


def frequencies(rows):
    """A FREQUENCIES table as {value: count}; the system-missing row is left out."""
    counts = {}
    for row in rows[1:]:
        if len(row) > 2 and row[1] not in ("", "."):
            counts[int(float(row[1]))] = int(row[2])
    return counts


def run_pspp(pspp, syntax, folder):
    script = folder / "check.sps"
    script.write_text(syntax, encoding="utf-8")
    out = folder / "out.csv"
    done = subprocess.run([pspp, "-O", "format=csv", "-o", str(out), str(script)],
                          cwd=folder, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"pspp failed ({done.returncode}):\n{done.stdout}\n{done.stderr}")
    return tables(out.read_text(encoding="utf-8"))


def check_texts(tally_program, pspp, survey, folder, questions, sets):
    multi = sets[0]
    # A 0x5C trail byte (表), a quote and a comma in the texts.
    texts = {(1, 0): "あなたの性別は？", (1, 1): "男性", (1, 2): "女性",
             (2, 1): "表計算\\ソフト", (2, 2): '10代, "学生"',
             (multi, 1): "価格", (multi, 0): "選んだ理由（いくつでも）"}
    table = folder / "texts.csv"
    with table.open("w", encoding="utf-8", newline="") as f:
        writer = csv.writer(f)
        writer.writerow(["質問番号", "選択肢番号", "内容"])
        for (q, c), text in texts.items():
            writer.writerow([q, c, text])
    labelled = folder / "labelled.dat"
    subprocess.run([tally_program, "labels", str(survey), "--from", str(table), "-o",
                    str(labelled)], check=True, capture_output=True)
    sav = folder / "labelled.sav"
    subprocess.run([tally_program, "export", str(labelled), str(sav)], check=True)
    out = run_pspp(pspp, f"GET FILE='{sav}'.\nDISPLAY DICTIONARY.\n", folder)
    # Variables: name, position, label, ...; Value Labels: the variable by its label (blank on
    # its further rows), the value (a user-missing one marked "[a]"), the value's label.
    labels = {row[0]: row[2] for row in out.get("Variables", [])[1:] if len(row) > 2}
    names = {label: name for name, label in labels.items()}
    values, variable = {}, None
    for row in out.get("Value Labels", [])[1:]:
        if len(row) < 3:
            continue
        variable = names.get(row[0], row[0]) if row[0] else variable
        values.setdefault(variable, {})[row[1].split("[")[0]] = row[2]

    def label_of(name):
        return labels.get(name, "")

    check(label_of("q1") == texts[(1, 0)], f"q1 label {label_of('q1')!r}")
    check(label_of("q2") == questions[1]["Text"], f"q2 label {label_of('q2')!r}")
    for q in (1, 2):
        expected = {str(c): text for (tq, c), text in texts.items() if tq == q and c > 0}
        expected["9"] = "NG"
        check(values.get(f"q{q}") == expected, f"q{q} value labels {values.get(f'q{q}')!r}")
    first = f"q{multi}_1"
    check(label_of(first) == questions[multi - 1]["Text"] + ": 価格",
          f"{first} label {label_of(first)!r}")
    check(label_of(f"q{multi}_2") == questions[multi - 1]["Text"] + ": 2",
          f"q{multi}_2 label {label_of(f'q{multi}_2')!r}")
    check(values.get(first) == {"0": "非選択", "1": "選択", "9": "NG"},
          f"{first} value labels {values.get(first)!r}")


def main():
    tally_program, pspp, survey = sys.argv[1], sys.argv[2], Path(sys.argv[3])
    with tempfile.TemporaryDirectory() as tmp:
        folder = Path(tmp)
        sav = folder / "answers.sav"
        subprocess.run([tally_program, "export", str(survey), str(sav)], check=True)
        doc = json.loads(subprocess.run([tally_program, "dump", str(survey)], check=True,
                                        capture_output=True, text=True).stdout)
        questions = doc["Questions"]

        names = []
        for q, question in enumerate(questions, 1):
            if question["ChoiceCount"] >= 2 and question["MultiSelect"]:
                names += [f"q{q}_{c}" for c in range(1, question["ChoiceCount"] + 1)]
            else:
                names.append(f"q{q}")
        sets = [q for q, question in enumerate(questions, 1)
                if question["ChoiceCount"] >= 2 and question["MultiSelect"]]

        syntax = ["SET TVARS=NAMES TNUMBERS=VALUES.", f"GET FILE='{sav}'.",
                  f"FREQUENCIES /VARIABLES={' '.join(names)}.", "MRSETS /DISPLAY NAME=ALL."]
        out = run_pspp(pspp, "\n".join(syntax) + "\n", folder)

        for q, question in enumerate(questions, 1):
            tally = doc["Tally"][q - 1]
            choices = question["ChoiceCount"]
            if q in sets:
                for c in range(1, choices + 1):
                    counts = frequencies(out[f"q{q}_{c}"])
                    got = counts.get(1, 0)
                    check(got == tally[c - 1], f"q{q}_{c}: PSPP counts {got}, VEV {tally[c - 1]}")
                    check(counts.get(9, 0) == tally[8],
                          f"q{q}_{c} NG: PSPP {counts.get(9, 0)}, VEV {tally[8]}")
                continue
            counts = frequencies(out[f"q{q}"])
            check(counts.get(9, 0) == tally[8], f"q{q} NG: PSPP {counts.get(9, 0)}, VEV {tally[8]}")
            if choices < 2:
                total = sum(value * n for value, n in counts.items() if value != 9)
                check(total == tally[0], f"q{q} sum: PSPP {total}, VEV {tally[0]}")
            else:
                for c in range(1, choices + 1):
                    check(counts.get(c, 0) == tally[c - 1],
                          f"q{q} choice {c}: PSPP {counts.get(c, 0)}, VEV {tally[c - 1]}")

        # ReadStat cannot write multiple-response sets: the .sps beside the .sav defines them,
        # run after opening the file as the help document says.
        sps = sav.with_suffix(".sps")
        check(sps.exists(), "no .sps beside the .sav")
        out = run_pspp(pspp, f"GET FILE='{sav}'.\nINSERT FILE='{sps}'.\n"
                             "MRSETS /DISPLAY NAME=ALL.\n", folder)
        shown = {row[0]: row for row in out.get("Multiple Response Sets", [])[1:]}
        for q in sets:
            row = shown.get(f"$q{q}")
            check(row is not None, f"$q{q} is not shown by MRSETS /DISPLAY")
            if row:
                last = questions[q - 1]["ChoiceCount"]
                check(row[1] == questions[q - 1]["Text"], f"$q{q} label {row[1]!r}")
                check(row[2] == "Dichotomies" and row[3] == "1", f"$q{q} kind {row[2:4]}")
                check(row[4].split() == [f"q{q}_{c}" for c in range(1, last + 1)],
                      f"$q{q} members {row[4]!r}")

        out = run_pspp(pspp, "SET TVARS=NAMES TNUMBERS=VALUES.\n"
                             f"GET FILE='{sav}'.\nCROSSTABS /TABLES=q1 BY q2.\n", folder)
        rows = out["q1 × q2"]
        columns = [int(v) for v in rows[1][3:] if v]
        got = {}
        row_value = None
        for row in rows[2:]:
            if row[0] == "Total":
                break
            if row[1]:
                row_value = int(row[1])
            if row[2] == "Count":
                for value, n in zip(columns, row[3:]):
                    got[(row_value, value)] = int(n)
        check(got == EXPECTED_CROSSTAB, f"crosstab q1 by q2: PSPP {got}")

        check_texts(tally_program, pspp, survey, folder, questions, sets)

    for failure in failures:
        print("FAIL:", failure)
    print("checked", "with failures" if failures else "ok")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
