#!/usr/bin/env python3
"""Builds the example survey in examples/ with the independent model of the file formats
(tests/model/differential_model.py), never with the program: the command-line tests compare
vev-tally's output against these files.

    python3 tools/make_examples.py           # writes examples/
    python3 tools/make_examples.py --check   # fails when examples/ is not what the model writes

Answers come from a fixed seed and every date is fixed, so a re-run gives the same bytes. The
raw survey below is only an input: the checked-in data file, addition sheet and results file are
what the model writes of it (the sheet then gets its counts typed in as a spreadsheet saves them).
"""
import os
import random
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "model"))
import differential_model as model  # noqa: E402
EXAMPLES = os.path.join(ROOT, "examples")
DATE = "2026/12/07"
TITLE = "満足度調査"
SHEET = "追加集計1.csv"
SEED = 20261207
RESPONDENTS = 60

# (text, choice count, multi-select, weights of the choices or range of a numeric answer)
QUESTIONS = [
    ("性別", 2, False, [11, 9]),
    ("年代", 6, False, [2, 5, 7, 6, 5, 3]),
    ("来店頻度", 5, False, [3, 6, 5, 4, 2]),
    ("同行人数", 1, False, (1, 5)),
    ("利用した売場", 6, True, [6, 4, 5, 2, 3, 1]),
    ("品揃えの満足度", 5, False, [4, 8, 5, 2, 1]),
    ("接客の満足度", 5, False, [6, 7, 4, 2, 1]),
    ("価格の満足度", 5, False, [2, 5, 7, 4, 2]),
    ("総合満足度", 5, False, [5, 9, 4, 2, 1]),
    ("改善してほしい点", 7, True, [5, 3, 6, 2, 4, 3, 1]),
    ("月の来店回数", 1, False, (1, 8)),
    ("友人に勧めたいか", 4, False, [6, 7, 3, 1]),
]

# The questionnaire's texts: each question's wording and its choices' texts, as the data file's
# trailer holds them; a reader of the charts, the report and the export needs no paper.
TEXTS = [
    ("あなたの性別をお答えください", ["男性", "女性"]),
    ("あなたの年代をお答えください", ["10代", "20代", "30代", "40代", "50代", "60代以上"]),
    ("当店にはどのくらいの頻度でご来店になりますか", ["ほぼ毎日", "週に数回", "週に1回", "月に数回", "それ以下"]),
    ("本日ご一緒に来店された人数（ご本人を含む）", []),
    ("本日ご利用になった売場をすべてお選びください",
     ["食料品", "日用品", "衣料品", "家電", "書籍・文具", "フードコート"]),
    ("品揃えにどのくらい満足していますか", ["満足", "やや満足", "どちらともいえない", "やや不満", "不満"]),
    ("接客にどのくらい満足していますか", ["満足", "やや満足", "どちらともいえない", "やや不満", "不満"]),
    ("価格にどのくらい満足していますか", ["満足", "やや満足", "どちらともいえない", "やや不満", "不満"]),
    ("当店に総合的にどのくらい満足していますか", ["満足", "やや満足", "どちらともいえない", "やや不満", "不満"]),
    ("当店に改善してほしい点をすべてお選びください",
     ["品揃え", "価格", "接客", "レジの待ち時間", "駐車場", "営業時間", "その他"]),
    ("この1か月に何回ご来店になりましたか", []),
    ("当店を友人に勧めたいと思いますか", ["勧めたい", "やや勧めたい", "あまり勧めたくない", "勧めたくない"]),
]


def sjis(text):
    return text.encode("cp932")


def answer(rng, r, q):
    text, choices, multi, weights_or_range = QUESTIONS[q]
    last = r == RESPONDENTS  # the last respondent answered everything
    roll = rng.random()
    if not last and roll < 0.025:
        return "0"  # left blank on the paper
    if not last and roll < 0.04:
        return "9"  # not readable: NG
    if choices == 1:
        return str(rng.randint(*weights_or_range))
    if multi:
        picked = set()
        for _ in range(rng.choice([1, 1, 2, 2, 3])):
            picked.add(rng.choices(range(1, choices + 1), weights=weights_or_range)[0])
        return "".join(str(c) for c in sorted(picked))
    return str(rng.choices(range(1, choices + 1), weights=weights_or_range)[0])


def raw_survey(rng):
    lines = [sjis("VEV v1.11  "), sjis(TITLE), sjis("質問数 ,%d" % len(QUESTIONS))]
    for q, (text, choices, multi, _) in enumerate(QUESTIONS, 1):
        field = (sjis(text) + b" " * 16)[:20]
        suffix = sjis("　（複数選択）") if multi else b""
        lines.append(b"%2d ," % q + field + b",%d" % choices + suffix)
    for r in range(1, RESPONDENTS + 1):
        line = b"%3d  " % r
        for q, (_, choices, multi, _) in enumerate(QUESTIONS):
            a = answer(rng, r, q).encode()
            line += b"," + ((a + b" " * 8)[:choices] if multi else a)
        lines.append(line)
    return lines


def trailer(linked):
    lines = [sjis("追加用集計ファイル,") + sjis(SHEET)] if linked else []
    lines += [sjis("百分率：整数"), sjis("集計結果：同時保存")]
    for q, (wording, choices) in enumerate(TEXTS, 1):
        lines.append(sjis("質問文：%d,%s" % (q, wording)))
        lines += [sjis("選択肢：%d,%d,%s" % (q, c, text)) for c, text in enumerate(choices, 1)]
    return lines + [b"", sjis(TITLE + ".dat  " + DATE)]


def fill_sheet(path, rng):
    """Types counts into the sheet and saves it the way a spreadsheet program writes CSV:
    no quotes, numbers without padding, blank cells empty."""
    with open(path, "rb") as f:
        lines = f.read().split(b"\r\n")
    out = lines[:2]
    for line in lines[2:]:
        cells = line.split(b",")
        if len(cells) < 3:
            out.append(line)
            continue
        q = cells[0].strip()
        cells = [c.replace(b'"', b"") for c in cells]
        cells[0] = q
        if q.isdigit():
            _, choices, multi, weights_or_range = QUESTIONS[int(q) - 1]
            people = 20
            counts = [0] * (len(cells) - 3)
            ng = rng.randint(0, 1)
            if choices == 1:
                counts[0] = sum(rng.randint(*weights_or_range) for _ in range(people - ng))
            else:
                for _ in range(people - ng):
                    picks = {rng.choices(range(1, choices + 1), weights=weights_or_range)[0]}
                    if multi and rng.random() < 0.4:
                        picks.add(rng.choices(range(1, choices + 1), weights=weights_or_range)[0])
                    for c in picks:
                        counts[c - 1] += 1
            for c in range(len(counts)):
                cells[2 + c] = b"%d" % counts[c] if c < max(choices, 1) else b""
            cells[-1] = b"%d" % ng
        else:
            cells = [c.strip() if i != 1 else c for i, c in enumerate(cells)]
        out.append(b",".join(cells))
    with open(path, "wb") as f:
        f.write(b"\r\n".join(out))


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def make(out):
    date = DATE.encode()
    rng = random.Random(SEED)
    body = raw_survey(rng)
    with tempfile.TemporaryDirectory() as tmp:
        raw = os.path.join(tmp, TITLE + ".dat")
        write(raw, b"\r\n".join(body + trailer(False)) + b"\r\n")
        sheet = os.path.join(out, SHEET)
        os.makedirs(out, exist_ok=True)
        write(sheet, model.write_sheet(model.load(raw.encode(), tmp.encode()), sheet.encode(), date))
        fill_sheet(sheet, rng)
        # The raw survey linked to the filled sheet, loaded and saved into examples/ with the
        # results file beside it, as `vev-tally resave` writes them.
        raw = os.path.join(out, "raw.dat")
        write(raw, b"\r\n".join(body + trailer(True)) + b"\r\n")
        try:
            doc = model.load(raw.encode(), out.encode())
        finally:
            os.remove(raw)
        data = os.path.join(out, TITLE + ".dat")
        doc.path = data.encode()
        write(data, model.write_data(doc, date))
        write(os.path.join(out, TITLE + ".csv"), model.write_results(doc, date, False))


def main():
    if sys.argv[1:] != ["--check"]:
        make(EXAMPLES)
        return 0
    with tempfile.TemporaryDirectory() as fresh:
        make(fresh)
        names = sorted(os.listdir(fresh))
        differ = [n for n in names if model.read_bytes(os.path.join(fresh, n)) !=
                  model.read_bytes(os.path.join(EXAMPLES, n))]
    if differ or sorted(os.listdir(EXAMPLES)) != names:
        print("examples/ is not what the model writes: " + ", ".join(differ or ["file list"]),
              file=sys.stderr)
        return 1
    print(f"{len(names)} example files are the model's")
    return 0


if __name__ == "__main__":
    sys.exit(main())
