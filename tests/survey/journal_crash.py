#!/usr/bin/env python3
"""The real program on a virtual X display, keyed with xdotool: two respondents are keyed in,
the program is killed with SIGKILL, started again, the recovery question is answered Yes, and
the survey (and, after Save, the data file) holds both respondents. A second program started
on the file while the first keys is held off by the lock and leaves the first's journal alone.
An untitled survey made with File > New and killed the same way is offered at the next start.

usage: journal_crash.py <vev binary> <survey .dat> [file|untitled]
(one of the two scenarios, each on a display of its own; both when neither is named)
"""
import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

VEV, SURVEY = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
SCENARIOS = sys.argv[3:] or ["file", "untitled"]
NAME = "crash.dat"


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            fail("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def xdo(env, *args, check=True):
    done = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=30)
    if check and done.returncode != 0:
        fail("xdotool %s: %s" % (" ".join(args), done.stderr.strip()))
    return done.stdout.strip()


def window(env, name):
    """The first visible window whose title matches name, focused."""
    deadline = time.time() + 20
    while time.time() < deadline:
        found = xdo(env, "search", "--onlyvisible", "--name", name, check=False)
        if found:
            wid = found.split()[0]
            xdo(env, "windowfocus", "--sync", wid, check=False)
            time.sleep(0.5)
            return wid
        time.sleep(0.2)
    fail("no window " + name)


def keys(env, *names):
    for name in names:
        xdo(env, "key", "--delay", "60", name)
        time.sleep(0.15)


def wait_for_file(path, failure):
    deadline = time.time() + 10
    while not os.path.exists(path):
        if time.time() > deadline:
            fail(failure)
        time.sleep(0.2)


@contextlib.contextmanager
def scenario(display, prefix):
    """A folder of its own, the environment of a program run in it, and the programs started
    there, killed and the folder removed however the scenario ends."""
    folder = tempfile.mkdtemp(prefix=prefix)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", HOME=folder,
               XDG_STATE_HOME=os.path.join(folder, "state"), LC_ALL="C.UTF-8")
    started = []

    def start(*args):
        started.append(subprocess.Popen([VEV, *args], cwd=folder, env=env))
        return started[-1]

    try:
        yield folder, env, start
    finally:
        for program in started:
            if program.poll() is None:
                program.kill()
                program.wait()
        shutil.rmtree(folder, ignore_errors=True)


def rows(path):
    """Respondent number -> its answers, from the answer lines of a data file."""
    text = open(path, "rb").read().decode("shift_jis")
    found = {}
    for line in text.splitlines():
        fields = [f.strip() for f in line.split(",")]
        if len(fields) > 2 and all(f.isdigit() or not f for f in fields):
            found[int(fields[0])] = fields[1:]
    return found


def file_crash(display):
    with scenario(display, "vev-crash-") as (folder, env, start):
        data = os.path.join(folder, NAME)
        shutil.copy(SURVEY, data)
        before = rows(data)
        first = len(before) + 1

        vev = start(data)
        window(env, "^VEV")
        # The last respondent is shown: Enter goes on to a new one. Then respondent by
        # respondent: Q1, Q2, the multi-select Q3 (confirmed with Enter), the
        # numeric Q4, Enter on to the open Q6, then Enter on to the next respondent.
        keys(env, "Return", "1", "3", "1", "2", "Return", "7", "Return", "2", "Return")
        keys(env, "2", "5", "4", "Return", "9", "Return", "4", "Return")
        journal = data + ".journal"
        time.sleep(1)
        if not os.path.exists(journal):
            fail("no journal while keying")
        # A second program on the same file: the lock names the first, the second asks about
        # it instead of offering the first's live journal, and its crash leaves that journal.
        if open(data + ".lock").read().split()[0] != str(vev.pid):
            fail("the lock does not name the program keying")
        other = start(data)
        deadline = time.time() + 20
        while not xdo(env, "search", "--onlyvisible", "--pid", str(other.pid), check=False):
            if time.time() > deadline:
                fail("the second program showed nothing")
            time.sleep(0.2)
        if xdo(env, "search", "--onlyvisible", "--name", "復元確認", check=False):
            fail("the second program offered the live journal")
        other.send_signal(signal.SIGKILL)
        other.wait()
        if not os.path.exists(journal) or os.path.getsize(journal) == 0:
            fail("the journal did not survive the second program")
        vev.send_signal(signal.SIGKILL)
        vev.wait()
        if rows(data) != before:
            fail("the data file changed without a save")

        vev = start(data)
        window(env, "復元確認")
        keys(env, "alt+y")
        window(env, "^VEV")
        keys(env, "alt+f", "s")
        time.sleep(1)
        after = rows(data)
        expected = {first: ["1", "3", "12", "7", "0", "2"],
                    first + 1: ["2", "5", "4", "9", "0", "4"]}
        for respondent, answers in expected.items():
            if after.get(respondent) != answers:
                fail("respondent %d saved as %s, keyed %s"
                     % (respondent, after.get(respondent), answers))
        for respondent, answers in before.items():
            if after.get(respondent) != answers:
                fail("respondent %d changed" % respondent)
        if os.path.exists(journal):
            fail("the journal is still there after Save")
        # "回答データ書き出し(&X)..." shares Exit's mnemonic: the second X reaches Exit.
        keys(env, "alt+f", "x", "x", "Return")
        try:
            vev.wait(timeout=10)
        except subprocess.TimeoutExpired:
            fail("the program did not end after Exit")
        print("PASS: two respondents recovered after SIGKILL and saved")


def untitled_crash(display):
    """File > New, two questions made in the editor, three respondents keyed, SIGKILL: the next
    start offers the untitled journal, Yes rebuilds the survey, Save As writes the respondents."""
    with scenario(display, "vev-untitled-") as (folder, env, start):
        state = os.path.join(folder, "state", "vev")
        vev = start()
        window(env, "^VEV")
        keys(env, "alt+f", "n")
        window(env, "アンケート編集")
        # Q1 with 3 choices, Q2 with 4; Apply and close leaves the keyboard on the last question.
        keys(env, "a", "Tab", "3", "Return", "b", "Tab", "4", "Return", "alt+q")
        window(env, "^VEV")
        # A choice moves on to the next question, Enter on the last one to the next respondent.
        keys(env, "Up", "1", "2", "Return", "3", "4", "Return", "2", "1")
        journal = os.path.join(state, "untitled-%d-1.journal" % vev.pid)
        wait_for_file(journal, "no untitled journal while keying")
        time.sleep(2.5)  # the respondent count follows the answers within 2 s
        vev.send_signal(signal.SIGKILL)
        vev.wait()

        vev = start()
        window(env, "復元確認")
        keys(env, "alt+y")
        window(env, "^VEV")
        keys(env, "alt+f", "a")
        window(env, "アンケートに名前をつけて保存")
        saved = os.path.join(folder, "saved.dat")
        keys(env, "ctrl+a")
        xdo(env, "type", "--delay", "20", saved)
        keys(env, "Return")
        wait_for_file(saved, "Save As wrote nothing")
        time.sleep(0.5)
        after = rows(saved)
        expected = {1: ["1", "2"], 2: ["3", "4"], 3: ["2", "1"]}
        if after != expected:
            fail("saved %s, keyed %s" % (after, expected))
        if os.listdir(state):
            fail("left in the state folder after Save: %s" % os.listdir(state))
        print("PASS: an untitled survey recovered after SIGKILL and saved")


def main():
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print("SKIP: %s is not installed" % tool)
            sys.exit(77)
    server, display = start_display()
    try:
        for scenario in SCENARIOS:
            {"file": file_crash, "untitled": untitled_crash}[scenario](display)
    finally:
        server.terminate()
        server.wait()


main()
