#!/usr/bin/env python3
"""Differential test of vev-tally against an independent Python model of the VEV core.

The model reads survey data files, records answers, merges linked tally files and writes
data files, results files, print files and addition sheets. Random inputs are generated
with a fixed seed; every command's files, exit status and notices are compared byte for byte.

usage: differential_model.py VEV_TALLY [--cases N] [--seed S] [--keep DIR]
"""

import argparse
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor
from fractions import Fraction

VERSION = b"VEV v1.11"
NOTICE_DATA = b"  (C) VEV developers"
NOTICE_RESULTS = b"  (c) VEV developers"
CRLF = b"\r\n"


def sj(text):
    return text.encode("cp932")


S_QCOUNT = sj("質問数 ,")
S_MULTI_SUFFIX = sj("　（複数選択）")
S_MULTI_WORD = sj("複数選択")
S_LINK_LINE = sj("追加用集計ファイル,")
S_FRAC = sj("百分率：小数")
S_INT = sj("百分率：整数")
S_WWRITE_ON = sj("集計結果：同時保存")
S_WWRITE_OFF = sj("集計結果：別に保存")
# Question wordings and choice texts: "質問文：q,text" and "選択肢：q,c,text" anywhere in the
# trailer (the colon is full-width), q and c in decimal, the text the rest of the line.
S_WORDING = sj("質問文：")
S_CHOICE = sj("選択肢：")
WORDING_BYTES = 200
CHOICE_TEXT_BYTES = 40
P_LINK = sj("追加用")
P_PERCENT = sj("百分率")
P_RESULTS = sj("集計結")
S_SMALL = sj("小")
S_OTHER = sj("別")
S_IDEO_SPACE = sj("　")
S_QHEAD = sj("質問内容            ")
S_RATIO = sj("割合（％）")
S_TOTAL = sj("計")
S_SHEET_HINT = sj("◆追加用（データ入力後、CSVファイルのまま上書き保存してください)")
M_NOT_SURVEY = "はアンケートファイルではありません。"
M_BAD_FILE = "が異常です。"
M_TITLE = "アンケートタイトルが違うので追加できません。"
M_OWN = "このアンケートの出力先となる集計結果ファイルを二重に追加することはできません。"

INT32_MIN = -(2**31)
INT32_MAX = 2**31 - 1


class Refused(Exception):
    """A load that stops: the document stays as it was and vev-tally exits with 1."""


def is_lead(b):
    return 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC


def is_trail(b):
    return 0x40 <= b <= 0x7E or 0x80 <= b <= 0xFC


def characters(text):
    """The text split into characters: a lead byte with a trail byte after it is one character,
    every other byte (a lone lead byte included) is one of its own."""
    out, i = [], 0
    while i < len(text):
        n = 2 if i + 1 < len(text) and is_lead(text[i]) and is_trail(text[i + 1]) else 1
        out.append(text[i : i + n])
        i += n
    return out


def sjis_cut(text, limit):
    """The whole characters that fit in `limit` bytes, never ending in a lone lead byte."""
    kept = b""
    for ch in characters(text):
        if len(kept) + len(ch) > limit:
            break
        kept += ch
    if kept and len(characters(kept)[-1]) == 1 and is_lead(kept[-1]):
        kept = kept[:-1]
    return kept


def sjis_find(text, word):
    """Where `word` starts at a character boundary of `text`, -1 when nowhere."""
    at = 0
    for ch in characters(text):
        if text[at : at + len(word)] == word:
            return at
        at += len(ch)
    return -1


def text_field(text, spaces, width):
    """A fixed-width text field: the text cut to `width`, padded, cut to `width` again."""
    return (sjis_cut(text, width) + b" " * spaces)[:width]


def trim(text):
    i, j = 0, len(text)
    while i < j and text[i] <= 0x20:
        i += 1
    while j > i and text[j - 1] <= 0x20:
        j -= 1
    return text[i:j]


def parse_int(text):
    """Optional sign then digits; None when the text is not such a number."""
    s = text.decode("latin-1")
    body = s[1:] if s[:1] in "+-" else s
    if not body or not all(c in "0123456789" for c in body):
        return None
    return int(s)


def count_or_zero(text):
    """A tally cell: a number that fits 32 bits, else 0."""
    v = parse_int(text)
    if v is None or not INT32_MIN <= v <= INT32_MAX:
        return 0
    return v


def rjust(n, w):
    return str(n).encode().rjust(w)


def base_name(path):
    return path.rsplit(b"/", 1)[-1]


def folder_part(path):
    i = path.rfind(b"/")
    return path[: i + 1] if i >= 0 else b""


def change_ext_csv(path):
    name = base_name(path)
    i = name.rfind(b".")
    if i < 0:
        return path + b".csv"
    return path[: len(path) - len(name) + i] + b".csv"


def to_native(name):
    """A file name read from a Shift-JIS file, as the file system's (UTF-8) bytes."""
    return name.decode("cp932", "replace").encode("utf-8")


def to_sjis(name):
    """A file name (UTF-8 bytes) as written into a Shift-JIS file."""
    return name.decode("utf-8", "replace").encode("cp932", "replace")


def saturate(v):
    return max(INT32_MIN, min(INT32_MAX, v))


def round64(fr):
    """Rounds a rational to 64 significant bits, ties to even."""
    if fr == 0:
        return fr
    sign = -1 if fr < 0 else 1
    a = abs(fr)
    e = a.numerator.bit_length() - a.denominator.bit_length()
    if Fraction(2) ** e > a:
        e -= 1
    # 2^e <= a < 2^(e+1); keep 64 bits: unit = 2^(e-63)
    scale = Fraction(2) ** (63 - e)
    m = a * scale
    fl = m.numerator // m.denominator
    rem = m - fl
    if rem > Fraction(1, 2) or (rem == Fraction(1, 2) and fl % 2 == 1):
        fl += 1
    return sign * Fraction(fl) / scale


def round_even(fr):
    fl = fr.numerator // fr.denominator
    rem = fr - fl
    if rem > Fraction(1, 2) or (rem == Fraction(1, 2) and fl % 2 == 1):
        fl += 1
    return fl


def percent(count, base, factor):
    q = round64(Fraction(count, base))
    return round_even(round64(q * factor))


class Doc:
    def __init__(self):
        self.title = b""
        self.qcount = 0
        self.text = [b""] * 41
        self.cc = [0] * 41
        self.ms = [False] * 41
        self.wording = [b""] * 41
        self.choice_text = {}  # (q, c) -> text, choices 1..8
        self.answers = {}
        self.rcount = 0
        self.cr = 1
        self.cq = 1
        self.foq = 0
        self.tally = [[0] * 10 for _ in range(41)]
        self.linked = []
        self.modified = False
        self.frac1 = False
        self.wwrite = True
        self.path = b""
        self.notices = []

    def full(self, path):
        return os.path.normpath(os.path.join(self.cwd, path))

    def ans(self, r, q):
        return self.answers.get((r, q), b"")

    # recording -----------------------------------------------------------------------
    def contribute(self, q, ch, sign):
        k = self.cc[q]
        if not 0x30 <= ch <= 0x39:
            # a single non-digit kept as it is (fewer than two choices, or nine choices)
            raise Refused("'%s' is not a valid integer value." % bytes([ch]).decode("cp932", "replace"))
        if k >= 2 or ch == 0x39:
            self.tally[q][ch - 0x30] += sign
        else:
            self.tally[q][1] += sign * (ch - 0x30)

    def data_in(self, buf):
        r, q = self.cr, self.cq
        k = self.cc[q]
        self.answers[(r, q)] = b""
        buf = buf[:255]
        if len(buf) == 1:
            if k >= 2:
                v = buf[0] - 0x30 if 0x30 <= buf[0] <= 0x39 else 9
                if v > k:
                    buf = b"9"
        else:
            buf = b"".join(str(n).encode() for n in range(1, k + 1) if str(n).encode() in buf)
        stored = b""
        for i in range(8):
            if i >= len(buf):
                if stored == b"":
                    stored = b"0"
                break
            ch = buf[i]
            if ch == 0x30:
                continue
            self.contribute(q, ch, 1)
            stored += bytes([ch])
            self.answers[(r, q)] = stored
            if r > self.rcount:
                self.rcount = r
        self.answers[(r, q)] = stored

    # linked tally files --------------------------------------------------------------
    def choice_columns(self):
        return max([1] + [self.cc[q] for q in range(1, self.qcount + 1)])

    def csv_read(self, path):
        with open(path, "rb") as f:
            lines = split_lines(f.read())
        first = lines[0] if lines else b""
        c = first.find(b",")
        title = trim(first if c < 0 else first[:c])
        if title != self.title:
            self.notices.append(M_TITLE + " " + base_name(path).decode("utf-8", "replace"))
            return False
        m = self.choice_columns()
        rows = lines[3:]
        for q in range(1, self.qcount + 1):
            if q - 1 >= len(rows) or rows[q - 1] == b"":
                break
            s = rows[q - 1]
            for _ in range(2):
                p = s.find(b",")
                s = s[p + 1 :]
            fields = []
            for _ in range(m):
                p = s.find(b",")
                if p < 0:
                    fields.append(0)
                    continue
                fields.append(count_or_zero(trim(s[:p])))
                s = s[p + 1 :]
            ng = count_or_zero(s.lstrip(b" "))
            for c in range(1, self.cc[q] + 1):
                self.tally[q][c] = saturate(self.tally[q][c] + fields[c - 1])
            self.tally[q][9] = saturate(self.tally[q][9] + (ng or 0))
        self.linked.append(path)
        return True


def split_lines(data):
    """Lines ended by LF (a CR before it belongs to the line end); a final unterminated line counts."""
    lines = data.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return [ln[:-1] if ln.endswith(b"\r") else ln for ln in lines]


def text_choices(doc, q):
    return max(0, min(doc.cc[q], 8))


def read_text_line(doc, line):
    """True when the line is a wording or choice-text line (read, or skipped when its numbers
    are bad or name no question or choice)."""
    def number(rest):
        comma = rest.find(b",")
        digits = rest[:comma]
        if comma < 1 or comma > 3 or not all(0x30 <= b <= 0x39 for b in digits):
            return 0, rest
        return int(digits), rest[comma + 1 :]

    if line.startswith(S_WORDING):
        q, rest = number(line[len(S_WORDING) :])
        if 1 <= q <= doc.qcount:
            doc.wording[q] = sjis_cut(rest, WORDING_BYTES)
        return True
    if line.startswith(S_CHOICE):
        q, rest = number(line[len(S_CHOICE) :])
        if not 1 <= q <= doc.qcount:
            return True
        c, rest = number(rest)
        if 1 <= c <= text_choices(doc, q):
            doc.choice_text[(q, c)] = sjis_cut(rest, CHOICE_TEXT_BYTES)
        return True
    return False


def load(path, cwd):
    """Returns the loaded Doc; raises Refused (carrying the notices shown) for a refused load.

    A relative `path` and the linked paths made from it are taken from the folder `cwd`."""
    doc = Doc()
    doc.cwd = cwd
    try:
        return _load(path, doc)
    except Refused as e:
        e.notices = doc.notices
        raise


def _load(path, doc):
    name = base_name(path).decode("utf-8", "replace")
    with open(doc.full(path), "rb") as f:
        lines = split_lines(f.read())
    pos = 0

    def read():
        nonlocal pos
        if pos < len(lines):
            pos += 1
            return lines[pos - 1]
        return b""

    def eof():
        return pos >= len(lines)

    line1 = read()
    if sjis_find(line1, b"VEV") < 0 and sjis_find(line1, b"ANK") < 0:
        doc.notices.append(name + M_NOT_SURVEY)
        raise Refused(None)
    title = read()
    line3 = read()
    c = line3.find(b",")
    raw = line3[c + 1 : c + 3] if c >= 0 else line3[8:10]
    count = parse_int(trim(raw)) or 0
    if count == 0:
        doc.notices.append(name + M_BAD_FILE)
        raise Refused(None)
    doc.path = path
    doc.title = sjis_cut(title, 255)
    doc.qcount = min(count & 0xFF, 40)
    for q in range(1, doc.qcount + 1):
        s = read()
        c = s.find(b",")
        if c >= 0:
            s = s[c + 1 :]
        else:
            # the number's 4 bytes, and a character that starts in them
            skipped = b""
            for ch in characters(s):
                if len(skipped) >= 4:
                    break
                skipped += ch
            s = s[len(skipped) :]
        p = s.find(b",")
        sep = 1
        text = s[:p]
        if p < 0:
            p = sjis_find(s, S_IDEO_SPACE)
            sep = 2
            text = s[:p]
            if p < 0:
                # no separator: 17 bytes of text (whole characters), the count at byte 19
                p, sep = 17, 1
                text = sjis_cut(s, 17)
        doc.text[q] = sjis_cut(trim(text), 20)
        ch = s[p + sep : p + sep + 1]
        if not (len(ch) == 1 and 0x30 <= ch[0] <= 0x39):
            raise Refused("'%s' is not a valid integer value." % ch.decode("cp932", "replace"))
        doc.cc[q] = ch[0] - 0x30
        rest = s[p + sep + 1 :]
        doc.ms[q] = sjis_find(rest, S_MULTI_WORD) >= 0 and doc.cc[q] >= 2
    doc.cr = 0
    doc.rcount = 0
    open_count = 0
    read_any = False
    while True:
        line = read()
        prefix = line[:6]
        if line == b"" or prefix in (P_LINK, P_PERCENT, P_RESULTS):
            break
        doc.cr += 1
        if doc.cr > 999:
            doc.notices.append(name + M_BAD_FILE)
            raise Refused(None)
        read_any = True
        open_count = 0
        c = line.find(b",")
        s = line[c + 1 :]
        for q in range(1, doc.qcount + 1):
            p = s.find(b",")
            if p >= 0:
                field = s[:p]
            else:
                field = s[:8]
                p = len(field)
            s = s[p + 1 :]
            if field in (b"", b"0"):
                open_count += 1
            # a multi-select field loses its padding (spaces at either end) before recording
            buf = field.strip(b" ") if doc.ms[q] else field
            doc.cq = q
            doc.data_in(buf)
        if eof():
            break
    doc.modified = False
    full = False  # 40 files linked: only text lines are read from here on
    while True:
        prefix = line[:6]
        if read_text_line(doc, line) or full:
            pass
        elif prefix == P_LINK:
            c = line.find(b",")
            fname = to_native(line[c + 1 :])
            lpath = folder_part(path) + fname
            # a name with a folder in it (either separator) is not beside the data file
            if b"/" not in fname and b"\\" not in fname and os.path.isfile(doc.full(lpath)):
                if doc.full(lpath) == change_ext_csv(doc.full(path)):
                    # the survey's own results file: its counts are already the survey's
                    doc.notices.append(M_OWN + " " + base_name(lpath).decode("utf-8", "replace"))
                    doc.modified = True
                else:
                    if not doc.csv_read(doc.full(lpath)):
                        doc.modified = True
                    full = len(doc.linked) == 40
            else:
                doc.notices.append("集計ファイル" + lpath.decode("utf-8", "replace") + "が見つかりません。")
                doc.modified = True
        elif prefix == P_PERCENT and sjis_find(line, S_SMALL) >= 0:
            doc.frac1 = True
        elif prefix == P_RESULTS and sjis_find(line, S_OTHER) >= 0:
            doc.wwrite = False
        line = read()
        if line == b"":
            break
        if eof():
            break
    doc.path = doc.full(path)
    if not read_any:
        doc.cr = 1
    elif open_count == 0:
        doc.cr = min(doc.cr + 1, 999)
    doc.foq = 0
    for q in range(1, doc.qcount + 1):
        if doc.ans(doc.cr, q) in (b"", b"0"):
            doc.answers[(doc.cr, q)] = b"0"
            if doc.foq == 0 and doc.cc[q] >= 2:
                doc.foq = q
    doc.cq = doc.foq or 1
    return doc


# writers -----------------------------------------------------------------------------
def write_data(doc, date):
    out = [VERSION + NOTICE_DATA, doc.title, S_QCOUNT + str(doc.qcount).encode()]
    for q in range(1, doc.qcount + 1):
        line = rjust(q, 2) + b" ," + text_field(doc.text[q], 16, 20) + b"," + str(doc.cc[q]).encode()
        if doc.ms[q]:
            line += S_MULTI_SUFFIX
        out.append(line)
    for r in range(1, doc.rcount + 1):
        line = rjust(r, 3) + b"  "
        for q in range(1, doc.qcount + 1):
            a = doc.ans(r, q)
            line += b"," + ((a + b" " * 8)[: doc.cc[q]] if doc.ms[q] else a)
        out.append(line)
    for p in doc.linked:
        out.append(S_LINK_LINE + to_sjis(base_name(p)))
    out.append(S_FRAC if doc.frac1 else S_INT)
    out.append(S_WWRITE_ON if doc.wwrite else S_WWRITE_OFF)
    for q in range(1, doc.qcount + 1):
        if doc.wording[q]:
            out.append(S_WORDING + str(q).encode() + b"," + doc.wording[q])
        for c in range(1, text_choices(doc, q) + 1):
            if doc.choice_text.get((q, c)):
                out.append(S_CHOICE + b"%d,%d," % (q, c) + doc.choice_text[(q, c)])
    out.append(b"")
    out.append(to_sjis(base_name(doc.path)) + b"  " + date)
    return b"".join(x + CRLF for x in out)


def frac_shape(t):
    # a point before the last character; a text wider than four keeps all its characters
    return t[:-1] + b"." + t[-1:]


def write_results(doc, date, printing):
    sep, quote, h0 = (b" ", b" ", b"No") if printing else (b",", b'"', b"  ")
    m = doc.choice_columns()
    out = [doc.title + sep + sep + S_IDEO_SPACE + date, b""]
    line = h0 + sep + quote + S_QHEAD + quote
    for c in range(1, m + 1):
        line += sep + b"   " + str(c).encode()
    out.append(line + sep + b"  NG")
    for q in range(1, doc.qcount + 1):
        line = rjust(q, 2) + sep + quote + text_field(doc.text[q], 20, 20) + quote + sep
        for c in range(1, m + 1):
            line += (rjust(doc.tally[q][c], 4) if c <= doc.cc[q] else b"    ") + sep
        out.append(line + rjust(doc.tally[q][9], 4))
    out += [b"", to_sjis(base_name(doc.path)) + b" by VEV", b"", S_RATIO]
    line = h0 + sep + quote + S_QHEAD + quote
    for c in range(1, m + 1):
        line += sep + (b"    " if doc.frac1 else b"   ") + str(c).encode()
    out.append(line + sep + b"    " + S_TOTAL)
    for q in range(1, doc.qcount + 1):
        k = doc.cc[q]
        if k <= 1:
            base = doc.rcount - doc.tally[q][9]
        else:
            base = sum(doc.tally[q][1 : k + 1])
        base = (base + 2**31) % 2**32 - 2**31  # kept to 32 bits like the counts
        if base == 0:
            base = 1
        line = rjust(q, 2) + sep + quote + text_field(doc.text[q], 20, 20) + quote + sep
        total = 0
        for c in range(1, m + 1):
            if c > k:
                line += (b"     " if doc.frac1 else b"    ") + sep
                continue
            if doc.frac1:
                v = percent(doc.tally[q][c], base, 1000)
                total += v
                if v < 0:
                    cell = (b"-" + str(-v // 10).encode() + b"." + str(-v % 10).encode()).rjust(5)
                else:
                    t = (b"  0" + str(v).encode()) if v <= 9 else rjust(v, 4)
                    cell = frac_shape(t)
            else:
                v = percent(doc.tally[q][c], base, 100)
                total += v
                cell = rjust(v, 4)
            line += cell + sep
        t = b"1000" if doc.frac1 else b" 100"
        if k >= 2:
            t = rjust(total, 4)
        if doc.frac1:
            t = frac_shape(t)
        out.append(line + b"  " + t)
    out += [b"", VERSION + NOTICE_RESULTS]
    return b"".join(x + CRLF for x in out)


def write_sheet(doc, sheet_path, date):
    m = doc.choice_columns()
    out = [doc.title + b",," + S_IDEO_SPACE + date, S_SHEET_HINT]
    line = b'  ,"' + S_QHEAD + b'"'
    for c in range(1, m + 1):
        line += b",   " + str(c).encode()
    out.append(line + b",  NG")
    for q in range(1, doc.qcount + 1):
        line = rjust(q, 2) + b',"' + text_field(doc.text[q], 16, 20) + b'",'
        for c in range(1, m + 1):
            line += (b"   0" if c <= doc.cc[q] else b"    ") + b","
        out.append(line + b"   0")
    out += [b"", to_sjis(base_name(sheet_path)) + b" by " + VERSION + NOTICE_DATA]
    return b"".join(x + CRLF for x in out)


def dump_json(doc):
    def txt(b):
        # a lone lead byte has no character; the tool leaves it out of its JSON text
        return b.decode("cp932", "replace").replace("\ufffd", "")

    nr = max(doc.rcount, doc.cr)
    return {
        "SurveyTitle": txt(doc.title),
        "QuestionCount": doc.qcount,
        "Questions": [
            {
                "Text": txt(doc.text[q]),
                "ChoiceCount": doc.cc[q],
                "MultiSelect": doc.ms[q],
                "Wording": txt(doc.wording[q]),
                "ChoiceTexts": [txt(doc.choice_text.get((q, c), b"")) for c in range(1, text_choices(doc, q) + 1)],
            }
            for q in range(1, doc.qcount + 1)
        ],
        "RespondentCount": doc.rcount,
        "CurrentRespondent": doc.cr,
        "CurrentQuestion": doc.cq,
        "FirstOpenQuestion": doc.foq,
        "Answers": [[txt(doc.ans(r, q)) for q in range(1, doc.qcount + 1)] for r in range(1, nr + 1)],
        "Tally": [doc.tally[q][1:10] for q in range(1, doc.qcount + 1)],
        "LinkedTallyFiles": [p.decode("utf-8", "replace") for p in doc.linked],
        "Modified": doc.modified,
        "Frac1": doc.frac1,
        "WWrite": doc.wwrite,
        "DataFilePath": doc.path.decode("utf-8", "replace"),
    }


# random inputs -----------------------------------------------------------------------
WIDE = "性別年代機能満足度調査質問回答表示ソ十能予申貼メモャぁ"  # trail bytes 0x5C and 0x81..0x9F
HALF = "ｱﾝｹｰﾄﾌｧｲﾙｶﾀ"


def rand_text(rng, maxlen=30):
    parts = []
    for _ in range(rng.randint(0, 12)):
        k = rng.random()
        if k < 0.4:
            parts.append(rng.choice(WIDE))
        elif k < 0.6:
            parts.append(rng.choice(HALF))
        elif k < 0.9:
            parts.append(rng.choice("abcXYZ 0123"))
        else:
            parts.append(rng.choice(["　", "\t", "複数選択"]))
    return sj("".join(parts))[:maxlen]


def rand_answer(rng, k, multi):
    x = rng.random()
    if x < 0.15:
        return b""
    if x < 0.25:
        return b"0"
    if x < 0.30:
        return b"9"
    if x < 0.55:
        return str(rng.randint(1, 9)).encode()
    if x < 0.75:
        digits = sorted(set(str(rng.randint(1, max(1, k))) for _ in range(rng.randint(2, 4))))
        return "".join(digits).encode()
    if x < 0.82:
        s = b"".join(rng.choice([b"1", b"3", b"0", b" ", b"9", b"7"]) for _ in range(rng.randint(1, 6)))
        return s
    if x < 0.86 and multi:
        return (str(rng.randint(1, 9)) + " " * rng.randint(1, 6)).encode()
    if x < 0.88:
        return b" " + str(rng.randint(1, 9)).encode()
    if x < 0.90:
        return b"x"
    if x < 0.92:
        return sj(rng.choice(HALF))
    if x < 0.94:
        return b"12345678912345"
    if x < 0.96:
        return sj(rng.choice(WIDE))
    return b"1" * rng.randint(9, 30)


def rand_text_lines(rng, cc_list):
    """Wording and choice-text lines: mostly valid, some naming no question or choice, some
    with bad numbers; texts with commas, the trail byte 0x5C and more than the limit."""
    qn = len(cc_list)
    lines = []
    for _ in range(rng.randint(1, 12)):
        text = rand_text(rng, 30) + rng.choice([b"", b",x,", sj("表示ソフト") * rng.randint(1, 30)])
        q = rng.randint(1, qn) if rng.random() < 0.75 else rng.choice([0, qn + 1, 41])
        qs = str(q).encode() if rng.random() < 0.85 else rng.choice([b"x", b"", b" 1", b"01", b"1234"])
        if rng.random() < 0.3:
            lines.append(S_WORDING + qs + b"," + text)
        else:
            k = cc_list[q - 1] if 1 <= q <= qn else 8
            c = rng.randint(1, max(1, k)) if rng.random() < 0.75 else rng.choice([0, 9, k + 1])
            cs = str(c).encode() if rng.random() < 0.9 else rng.choice([b"-1", b"x", b""])
            lines.append(S_CHOICE + qs + b"," + cs + b"," + text)
    return lines


def gen_case(rng, folder, index):
    """Writes a data file (and maybe tally files) into folder; returns the data file path."""
    title = rand_text(rng, 24) if rng.random() < 0.9 else b""
    if rng.random() < 0.1:
        title = b" " + title
    qn = rng.randint(1, 40) if rng.random() < 0.8 else rng.randint(1, 6)
    lines = []
    x = rng.random()
    lines.append(VERSION + NOTICE_DATA if x < 0.85 else (b"ANK" if x < 0.93 else rng.choice([b"", b"vev", b"XX"])))
    lines.append(title)
    x = rng.random()
    if x < 0.8:
        lines.append(S_QCOUNT + str(qn).encode())
    elif x < 0.85:
        lines.append(sj("質問数 ") + str(qn).encode().rjust(2) + b"  ")
    else:
        lines.append(S_QCOUNT + rng.choice([b"99", b"-1", b"ab", b"0", b"", b" 7", b"7x", b"-0", b"40"]))
    cc_list = []
    multi_list = []
    for q in range(1, qn + 1):
        k = rng.choice([0, 1, 2, 2, 3, 4, 5, 6, 7, 8, 8, 9])
        multi = rng.random() < 0.35
        text = rand_text(rng, 24)
        field = (text + b" " * 16)[:20] if rng.random() < 0.7 else text
        x = rng.random()
        if x < 0.8:
            line = rjust(q, 2) + b" ," + field + b"," + str(k).encode()
        elif x < 0.85:
            line = rjust(q, 2) + b" ," + field + S_IDEO_SPACE + str(k).encode()
        elif x < 0.9:
            line = rjust(q, 2) + b" " + field + b"," + str(k).encode()
        elif x < 0.94:
            line = rjust(q, 2) + b" ," + (text + b" " * 20)[:17] + b" " + str(k).encode()
        elif x < 0.96:
            line = rjust(q, 2) + b" ," + field + b"," + rng.choice([b"x", b"", b" ", sj("ｱ")])
        else:
            line = rjust(q, 2) + b" ," + text
        if multi:
            line += rng.choice([S_MULTI_SUFFIX, S_MULTI_SUFFIX, S_MULTI_WORD, b" x"])
        lines.append(line)
        cc_list.append(k)
        multi_list.append(multi)
    nresp = rng.choice([0, 1, 2, 5, 10, 30]) if rng.random() < 0.97 else rng.choice([998, 999, 1000])
    for r in range(1, nresp + 1):
        fields = []
        nq = qn if rng.random() < 0.9 else rng.randint(0, qn)
        for q in range(nq):
            a = rand_answer(rng, cc_list[q], multi_list[q])
            if multi_list[q] and rng.random() < 0.7 and b"," not in a:
                a = (a + b" " * 8)[: max(cc_list[q], len(a))]
            fields.append(a)
        line = rjust(r, 3) + b"  " + b"".join(b"," + f for f in fields)
        if rng.random() < 0.03:
            line = line.replace(b",", b"", 1)
        lines.append(line)
    # linked tally files
    trailer = []
    for i in range(rng.choice([0, 0, 0, 1, 2, 3])):
        name = sj(rng.choice(["t%d_%d.csv", "集計%d_%d.csv", "集計表%d_%d.csv", "ソフト%d_%d.csv", "能力%d_%d.csv"]) % (index, i))
        x = rng.random()
        if x < 0.8:
            write_tally(rng, os.path.join(folder, name.decode("cp932")), title, qn, cc_list)
        elif x < 0.85:
            name = b"sub/" + name
        trailer.append(S_LINK_LINE + name)
    if rng.random() < 0.05:
        odd = rng.choice([S_LINK_LINE, P_LINK + b"x", S_LINK_LINE + b"..", S_LINK_LINE + b"a\\b.csv"])
        if odd.endswith(b"a\\b.csv"):
            write_tally(rng, os.path.join(folder, "a\\b.csv"), title, qn, cc_list)
        trailer.append(odd)
    if rng.random() < 0.03:
        for i in range(42):
            name = b"m%d_%d.csv" % (index, i)
            write_tally(rng, os.path.join(folder, name.decode()), title, qn, cc_list)
            trailer.append(S_LINK_LINE + name)
        trailer += rand_text_lines(rng, cc_list)  # read also after the 40th linked file
    trailer.append(rng.choice([S_FRAC, S_INT]))
    trailer.append(rng.choice([S_WWRITE_ON, S_WWRITE_OFF]))
    if rng.random() < 0.5:
        trailer += rand_text_lines(rng, cc_list)
    if rng.random() < 0.2:
        rng.shuffle(trailer)
    if rng.random() < 0.1:
        trailer.insert(rng.randint(0, len(trailer)), b"other line")
    lines += trailer
    x = rng.random()
    if x < 0.8:
        lines += [b"", b"x.dat  2026/12/07"]
    elif x < 0.9:
        lines += [b"x.dat  2026/12/07"]
    data = b"".join(ln + CRLF for ln in lines)
    if rng.random() < 0.05:
        data = data.replace(CRLF, b"\n")
    if rng.random() < 0.03:
        data = data.replace(b"\t", b"\r")
    if rng.random() < 0.05 and data.endswith(CRLF):
        data = data[:-2]
    path = os.path.join(folder, rng.choice(["case%d.dat", "case%d.dat", "case%d", "c.%d.v.dat", "調査%d.dat"]) % index)
    with open(path, "wb") as f:
        f.write(data)
    return path


def linked_names(index):
    """The own results file of directed case `index`, then names with the trail byte 0x5C."""
    return ["directed%d.csv" % index, "表.csv", "ソフト.csv", "能力.csv", "集計表.csv"]


def directed_case(folder, index):
    """Hand-made files for the edges that random files reach too rarely; None past the last."""
    head = [VERSION + NOTICE_DATA, sj("満足度調査"), S_QCOUNT + b"3"]
    questions = [sj(" 1 ,性別                ,2"), sj(" 2 ,年代                ,6"), sj(" 3 ,よく使う機能        ,5　（複数選択）")]
    tail = [S_INT, S_WWRITE_ON, b"", b"sample.dat  2026/12/07"]
    one = [VERSION + NOTICE_DATA, b"T", S_QCOUNT + b"1", b" 1 ,q,2"]
    cases = [
        head + questions + [b"  1  ,1,3,135  ", b"  2  ,2,9,0    "] + tail,
        one + [rjust(r, 3) + b"  ,1" for r in range(1, 1000)] + tail,
        one + [rjust(r, 3) + b"  ,1" for r in range(1, 1001)] + tail,
        one + [rjust(r, 3) + b"  ,1" for r in range(1, 999)] + [b"999  ,0"] + tail,
        [b"ANK", b"x" * 300, S_QCOUNT + b"2", b" 1 ,q,8", b" 2 ,r,1"]
        + [b"  1  ," + b"1" * 260 + b"5,7", b"  2  ,4" + b" " * 300 + b",3"]
        + tail,
        [b"ANK", b"T", S_QCOUNT + b"-1"] + [rjust(q, 2) + b" ,q,%d" % (q % 10) for q in range(1, 41)]
        + [b"  1  ," + b",".join(b"%d" % (q % 7) for q in range(40))]
        + tail,
        head + questions + [b"  1  ,1,3,9    ", b"  2  ,2,9,9"] + tail,
        [b"VEV", b"T", S_QCOUNT + b"2", b" 1 ,ab" + sj("メ") * 9 + b"x,3", b" 2 ," + b"a" + sj("メ") * 10 + b",2"]
        + [b"  1  ,1,2"]
        + tail,
        [b"VEV", b"T", sj("質問数  2"), b" 1 ,q,3", b" 2 ,r,3", b"  1  ,1,2", S_WWRITE_OFF, S_FRAC],
        # cuts: 20 bytes ending in a lone lead byte; a line without separators whose byte 17
        # starts 表; one whose number's 4 bytes end in the first byte of 能; a title of 256 bytes
        # whose byte 255 starts 表. Linked names with the trail byte 0x5C, and the survey's own
        # results file, which is never linked.
        [VERSION + NOTICE_DATA, b"a" * 254 + sj("表"), S_QCOUNT + b"4", b" 1 ,abcdefghijklmnopqrs\x88,2",
         b" 2  abcdefghijklmnop" + sj("表") + b"3", b" 3 ," + sj("能") * 10 + b",2",
         b" 4 " + sj("能") + b"abcdefghijklmnopq 2", b"  1  ,1,2,1,2"]
        + [S_LINK_LINE + sj(n) for n in linked_names(index)]
        + tail,
    ]
    if index >= len(cases):
        return None
    path = os.path.join(folder, "directed%d.dat" % index)
    if S_LINK_LINE in b"".join(cases[index]):
        title = sjis_cut(cases[index][1], 255)  # the title as loaded
        for name in linked_names(index):
            write_tally(random.Random(name), os.path.join(folder, name), title, 4, [2, 3, 2, 2])
    with open(path, "wb") as f:
        f.write(b"".join(ln + CRLF for ln in cases[index]))
    return path


def write_tally(rng, path, title, qn, cc_list):
    m = rng.randint(1, 9)
    t = title if rng.random() < 0.85 else title + b"x"
    x = rng.random()
    first = t + b",," + S_IDEO_SPACE + b"2026/12/07" if x < 0.8 else (b" " + t + b" ,x" if x < 0.9 else t)
    lines = [first, rng.choice([b"", S_SHEET_HINT]), b'  ,"head"']
    nq = qn if rng.random() < 0.8 else rng.randint(0, qn + 2)
    quoted = rng.random() < 0.6
    for q in range(1, nq + 1):
        cells = []
        for c in range(1, m + 1):
            x = rng.random()
            if x < 0.7:
                v = str(rng.randint(0, 50)).encode()
            elif x < 0.8:
                v = str(rng.randint(-20, 5)).encode()
            elif x < 0.85:
                v = rng.choice([b"", b"ab", b"+3", b"1 2", b"99999999999", b"2147483647", b"-2147483648"])
            else:
                v = b"   " + str(rng.randint(0, 9)).encode()
            cells.append(v.rjust(4) if quoted else v)
        ng = rng.choice([b"   1", b"0", b"3 ", b"x", b"-2", b"  12", b"2147483647"])
        text = rand_text(rng, 20)
        if b"," in text:
            text = text.replace(b",", b"")
        line = rjust(q, 2) + b"," + (b'"' + text + b'"' if quoted else text) + b"," + b",".join(cells) + b"," + ng
        lines.append(line)
    if rng.random() < 0.8:
        lines += [b"", b"tail"]
    with open(path, "wb") as f:
        f.write(b"".join(ln + CRLF for ln in lines))


# comparison --------------------------------------------------------------------------
def run(tool, args, cwd=None):
    p = subprocess.run([tool] + args, capture_output=True, timeout=60, cwd=cwd)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


def check_case(tool, path, modes, relative, failures, label):
    """Runs every command on one data file and compares with the model.

    With `relative` the tool runs in the file's folder and is given the bare file name."""
    folder = os.path.dirname(path)
    date = b"2026/12/07"
    arg = os.path.basename(path) if relative else path
    cwd = folder if relative else None
    try:
        doc = load(arg.encode(), folder.encode())
        refused = None
    except Refused as e:
        doc = None
        refused = e
    if refused is not None:
        notices = list(refused.notices)
        if refused.args[0]:
            notices.append(refused.args[0])
    else:
        notices = doc.notices
    exp_err = "".join(n.replace("\ufffd", "") + "\n" for n in notices)

    def cmp(what, got, exp):
        if got != exp:
            failures.append((label, what, got, exp))

    # dump
    rc, out, err = run(tool, ["dump", arg], cwd)
    cmp("dump rc", rc, 1 if refused else 0)
    cmp("dump stderr", err, exp_err)
    if not refused and rc == 0:
        got = json.loads(out.decode("utf-8"))
        exp = dump_json(doc)
        for key in exp:
            cmp("dump " + key, got.get(key), exp[key])
    # resave
    out_dat = os.path.join(folder, "re_" + os.path.basename(path))
    rc, _, err = run(tool, ["resave", arg, out_dat, "--date", date.decode()], cwd)
    cmp("resave rc", rc, 1 if refused else 0)
    if refused:
        cmp("resave wrote", os.path.exists(out_dat), False)
    else:
        saved = Doc.__new__(Doc)
        saved.__dict__.update(doc.__dict__)
        saved.path = out_dat.encode()
        cmp("resave bytes", read_bytes(out_dat), write_data(saved, date))
        csv = change_ext_csv(out_dat.encode()).decode()
        if doc.wwrite:
            cmp("resave results", read_bytes(csv), write_results(saved, date, False))
        else:
            cmp("resave no results", os.path.exists(csv), False)
    # results
    for mode in modes:
        if mode == []:
            # the default target: the data file's path with the extension .csv
            out_csv = change_ext_csv(path.encode()).decode()
            args = ["results", arg, "--date", date.decode()]
        else:
            out_csv = os.path.join(folder, "res_%s_%s.csv" % (os.path.basename(path), "".join(mode)))
            args = ["results", arg, "-o", out_csv, "--date", date.decode()] + mode
        rc, _, err = run(tool, args, cwd)
        cmp("results rc " + " ".join(mode), rc, 1 if refused else 0)
        if refused:
            cmp("results wrote", os.path.exists(out_csv), False)
            continue
        d = Doc.__new__(Doc)
        d.__dict__.update(doc.__dict__)
        if mode == ["--frac"]:
            d.frac1 = True
        elif mode == ["--no-frac"]:
            d.frac1 = False
        cmp("results bytes " + " ".join(mode), read_bytes(out_csv), write_results(d, date, mode == ["--print"]))
    # sheet
    out_sheet = os.path.join(folder, "sheet_" + os.path.basename(path) + ".csv")
    rc, _, err = run(tool, ["sheet", arg, out_sheet, "--date", date.decode()], cwd)
    cmp("sheet rc", rc, 1 if refused else 0)
    if not refused:
        cmp("sheet bytes", read_bytes(out_sheet), write_sheet(doc, out_sheet.encode(), date))


def read_bytes(p):
    try:
        with open(p, "rb") as f:
            return f.read()
    except OSError:
        return None


def describe(got, exp):
    if isinstance(got, bytes) and isinstance(exp, bytes):
        g, e = got.split(CRLF), exp.split(CRLF)
        for i in range(max(len(g), len(e))):
            gl = g[i] if i < len(g) else None
            el = e[i] if i < len(e) else None
            if gl != el:
                return "  line %d\n  got:      %r\n  expected: %r" % (i + 1, gl, el)
    return "  got:      %r\n  expected: %r" % (got, exp)


MODES = [["--frac"], ["--no-frac"], [], ["--print"]]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("tool")
    ap.add_argument("--cases", type=int, default=150)
    ap.add_argument("--seed", type=int, default=20261207)
    ap.add_argument("--all-modes", action="store_true", help="every results mode for every case")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--keep", help="copy the generated files to this folder")
    ap.add_argument("--show", type=int, default=20)
    args = ap.parse_args()
    tool = os.path.abspath(args.tool)
    rng = random.Random(args.seed)
    root = tempfile.mkdtemp(prefix="vevdiff")
    failures = []
    try:
        jobs = []
        for i in range(args.cases):
            folder = os.path.join(root, "c%d" % i)
            os.makedirs(folder)
            path = directed_case(folder, i) or gen_case(rng, folder, i)
            modes = MODES if args.all_modes else [MODES[i % len(MODES)]]
            jobs.append((path, modes, rng.random() < 0.2, "case %d (%s)" % (i, path)))
        def work(job):
            found = []
            check_case(tool, job[0], job[1], job[2], found, job[3])
            return found

        with ThreadPoolExecutor(max_workers=args.jobs) as pool:
            for found in pool.map(work, jobs):
                failures += found
    finally:
        if args.keep:
            shutil.rmtree(args.keep, ignore_errors=True)
            shutil.copytree(root, args.keep)
        shutil.rmtree(root, ignore_errors=True)
    for label, what, got, exp in failures[: args.show]:
        print("%s: %s differs\n%s" % (label, what, describe(got, exp)))
    cases = len(set(f[0] for f in failures))
    print("%d cases, %d with differences" % (args.cases, cases))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
