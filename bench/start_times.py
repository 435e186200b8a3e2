#!/usr/bin/env python3
"""Process start-up times, which no in-process benchmark sees: shared libraries, Qt's start,
the first window.

    python3 bench/start_times.py [BUILD_DIR] [--runs N]

- `vev-tally --version` and `vev-tally results` of the example survey (target: 10 ms);
- `vev` on the example survey until its main window is mapped (target: 100 ms), on a virtual X
  display of its own (Xvfb) watched with `xev`; skipped, saying why, when either is missing.

Prints the fastest and the median wall time of N runs (and for vev-tally the median CPU time):
the fastest and the CPU time say what the program costs, the median what a busy machine adds. Every run works on a fresh copy, so no journal is left over.
"""
import argparse
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SURVEY = os.path.join(ROOT, "examples", "満足度調査.dat")
SHEET = os.path.join(ROOT, "examples", "追加集計1.csv")


def fresh_copy(work, run):
    folder = os.path.join(work, "run%d" % run)
    os.makedirs(folder)
    shutil.copy(SURVEY, folder)
    shutil.copy(SHEET, folder)
    return os.path.join(folder, os.path.basename(SURVEY))


def median(values):
    return sorted(values)[len(values) // 2] * 1000


def report(name, seconds, target_ms, cpu=None):
    fastest = min(seconds) * 1000
    verdict = "ok" if fastest <= target_ms else "over"
    cpu_text = f"  CPU {median(cpu):5.1f} ms" if cpu else ""
    print(f"{name:<32} fastest {fastest:6.1f} ms  median {median(seconds):6.1f} ms{cpu_text}  "
          f"(target {target_ms} ms: {verdict})")


def time_process(argv, env):
    """Wall and CPU seconds of one run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    subprocess.run(argv, env=env, check=True, stdout=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def tally_times(tally, work, runs, env):
    for name, argv in (("--version", lambda run: [tally, "--version"]),
                       ("results", lambda run: [tally, "results", fresh_copy(work, run)])):
        wall, cpu = zip(*(time_process(argv(run), env) for run in range(runs)))
        report("vev-tally " + name, list(wall), 10, list(cpu))


def window_times(vev, work, runs, env):
    missing = [tool for tool in ("Xvfb", "xev") if not shutil.which(tool)]
    if missing:
        print(f"vev until shown: skipped, {' and '.join(missing)} not installed")
        return
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                               "1024x768x24", "-nolisten", "tcp"], pass_fds=[write_fd],
                              stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as display:
        env = dict(env, DISPLAY=":" + display.readline().strip(), QT_QPA_PLATFORM="xcb")
    try:
        times = []
        for run in range(runs + 1):  # the first run fills the font caches and is not counted
            survey = fresh_copy(work, 2 * runs + run)
            # xev reports every top-level window the server maps.
            watcher = subprocess.Popen(["xev", "-root", "-event", "substructure"], env=env,
                                       stdout=subprocess.PIPE, text=True)
            time.sleep(0.3)
            start = time.perf_counter()
            program = subprocess.Popen([vev, survey], env=env, stdout=subprocess.DEVNULL,
                                       )
            if not any(line.startswith("MapNotify") for line in watcher.stdout):
                raise RuntimeError("xev saw no window mapped")
            shown = time.perf_counter() - start
            program.kill()
            program.wait()
            watcher.kill()
            watcher.wait()
            if run:
                times.append(shown)
        report("vev until its window is mapped", times, 100)
    finally:
        server.terminate()  # lets the server remove its socket and lock
        server.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build", "default"))
    parser.add_argument("--runs", type=int, default=15)
    args = parser.parse_args()
    env = dict(os.environ, LC_ALL="C.UTF-8")
    with tempfile.TemporaryDirectory() as work:
        env.update(XDG_STATE_HOME=work, XDG_RUNTIME_DIR=work)
        tally_times(os.path.join(args.build, "src", "cli", "vev-tally"), work, args.runs, env)
        window_times(os.path.join(args.build, "src", "app", "vev"), work, args.runs, env)


if __name__ == "__main__":
    sys.exit(main())
