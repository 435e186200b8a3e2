"""Checks vev-tally(1) against what `vev-tally --help` prints: every subcommand has its own
SYNOPSIS line (a .br between them) with the options and option values the usage gives it, and
its own entry under COMMANDS; every option of the help text is described somewhere in the page.
Usage: check_manual.py VEV_TALLY MAN_PAGE"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[a-z][a-z-]*")
VALUES = re.compile(r"--?[a-z][a-z-]*\s+([a-z]+(?:\|[a-z]+)+)")


def has(word, text):
    return re.search(rf"(?<![\w-]){re.escape(word)}(?![\w-])", text) is not None


def usage_lines(help_text):
    """{subcommand: text of its usage line and continuation lines}; --help/--version excluded."""
    commands = {}
    current = None
    for line in help_text.split("\n\n")[0].splitlines():
        match = re.match(r"\s*(?:usage:)?\s*vev-tally\s+([a-z]+)\b(.*)", line)
        if match:
            current = match.group(1)
            commands[current] = match.group(2)
        elif "vev-tally" in line:
            current = None
        elif current and line.startswith(" "):
            commands[current] += " " + line.strip()
    return commands


def plain(roff):
    """The words of roff source: escapes and font requests gone, "\\-" a hyphen."""
    text = roff.replace("\\-", "-").replace("\\%", "").replace("\\&", "")
    text = re.sub(r"\\f[BIRP]", "", text)
    text = re.sub(r'^\.(?:B|I|BR|RB|IR|RI|BI|IB)\s', "", text, flags=re.M)
    return text.replace('"', " ")


def main(tally, page):
    help_text = subprocess.run([tally, "--help"], capture_output=True, text=True,
                               check=True).stdout
    roff = open(page, encoding="utf-8").read()
    synopsis = roff.split(".SH SYNOPSIS", 1)[1].split(".SH ", 1)[0]
    # One entry per line break: the text of each "vev-tally <command> ..." line.
    entries = {}
    for chunk in synopsis.split("\n.br\n"):
        words = plain(chunk).split()
        if len(words) >= 2 and words[0] == "vev-tally":
            entries[words[1]] = " ".join(words)
    problems = [f"SYNOPSIS runs two commands into one line: {text}" for text in entries.values()
                if text.count("vev-tally") > 1]

    commands = usage_lines(help_text)
    if len(commands) < 5:
        problems.append(f"only {len(commands)} subcommands parsed from --help")
    for command, usage in commands.items():
        entry = entries.get(command)
        if entry is None:
            problems.append(f"{command}: no SYNOPSIS line of its own")
            continue
        values = [v for group in VALUES.findall(usage) for v in group.split("|")]
        for word in OPTION.findall(usage) + values:
            if not has(word, entry):
                problems.append(f"{command}: {word} missing from its SYNOPSIS line")
        if not re.search(rf"^\.TP\n\.B {command}\n", roff, re.M):
            problems.append(f"{command}: no entry under COMMANDS")
    described = plain(roff.split(".SH DESCRIPTION", 1)[-1])
    problems += [f"{option} is not described" for option in sorted(set(OPTION.findall(help_text)))
                 if not has(option, described)]
    for problem in problems:
        print("FAIL:", problem)
    if not problems:
        print(f"vev-tally(1) ok: {len(commands)} subcommands")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
