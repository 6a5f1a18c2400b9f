#!/usr/bin/python3
"""Checks the real Ornavel program on real desktops and fails on a regression.

    tests/desktop/run.py EXECUTABLE CHECK... [--desktop-file FILE] [--screenshots DIR]

CHECK is x11, wayland, atspi or dark (each module's docstring says what it checks), or all
of them. Controls are found by their accessible names over AT-SPI, never by pixel offsets.
Each check starts its own X server, compositor and D-Bus session, ends every process it
started, and bounds every wait. It prints "ok: ..." or "FAIL: ..." per check and "N passed,
N failed" last; the exit status is non-zero when anything failed. With --screenshots the
screens seen along the way are written to DIR as PNG files, for a reviewer.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ left in the source tree
import atspi
import dark
import wayland
import x11
from harness import ROOT, Abort, CheckTimeout, Desktop, Interrupted, Processes, Results, Watchdog

CHECKS = {m.__name__: m.check for m in (x11, wayland, atspi, dark)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe", help="the ornavel executable")
    parser.add_argument("checks", nargs="+", choices=list(CHECKS) + ["all"])
    parser.add_argument("--desktop-file", default=os.path.join(ROOT, "packaging", "org.ornavel.Ornavel.desktop"))
    parser.add_argument("--screenshots", metavar="DIR", help="write the screens seen to DIR")
    parser.add_argument("--timeout", type=int, default=60, help="seconds for each check (60)")
    args = parser.parse_args()
    args.exe = os.path.abspath(args.exe)
    if not os.access(args.exe, os.X_OK):
        parser.error(f"no executable at {args.exe}")
    if args.screenshots:
        os.makedirs(args.screenshots, exist_ok=True)
    names = list(CHECKS) if "all" in args.checks else list(dict.fromkeys(args.checks))

    # Ended by a test runner or Ctrl+C: still end what was started, and say so.
    def on_signal(signum, frame):
        raise Interrupted(signal.Signals(signum).name)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGINT, on_signal)

    if len(names) > 1:
        return run_each(args, names)
    name = names[0]
    results = Results()
    print(f"== {name}", flush=True)
    workdir = tempfile.mkdtemp(prefix=f"ornavel-{name}-")
    procs = Processes(workdir, Watchdog())
    desk = Desktop(procs, workdir, args.screenshots)

    def on_alarm(signum, frame):
        raise CheckTimeout()
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(args.timeout)
    try:
        CHECKS[name](args, results, desk)
    except CheckTimeout:
        results.fail(f"{name}: not done within {args.timeout} s")
    except Interrupted as e:
        results.fail(f"{name}: ended by {e}")
    except Abort as e:
        results.fail(f"{name}: {e}")
    except subprocess.TimeoutExpired as e:
        results.fail(f"{name}: {e.cmd[0]} did not answer within {e.timeout} s")
    finally:
        signal.alarm(0)
        for sig in (signal.SIGTERM, signal.SIGINT):
            signal.signal(sig, signal.SIG_IGN)  # the clean-up itself is not cut short
        procs.stop_all()
        if args.screenshots:
            for log in os.listdir(workdir):
                if log.endswith(".log"):
                    shutil.copy(os.path.join(workdir, log), os.path.join(args.screenshots, f"{name}-{log}"))
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"{results.passed} passed, {results.failed} failed", flush=True)
    return 1 if results.failed or not results.passed else 0


def run_each(args, names):
    # One process for each check: pyatspi stays bound to the first session bus it meets.
    passed = failed = 0
    stopped = False
    for name in names:
        argv = [sys.executable, os.path.abspath(__file__), args.exe, name,
                "--desktop-file", args.desktop_file, "--timeout", str(args.timeout)]
        if args.screenshots:
            argv += ["--screenshots", args.screenshots]
        child = subprocess.Popen(argv, stdout=subprocess.PIPE, text=True)
        summary = None

        def relay():
            nonlocal summary
            for line in child.stdout:
                m = re.fullmatch(r"(\d+) passed, (\d+) failed\n?", line)
                if m:
                    summary = m
                else:
                    print(line, end="", flush=True)
        try:
            relay()
            child.wait()
        except Interrupted:
            child.terminate()
            relay()
            child.wait()
            stopped = True
        passed += int(summary.group(1)) if summary else 0
        failed += int(summary.group(2)) if summary else 1
        if stopped:
            break
    print(f"{passed} passed, {failed} failed", flush=True)
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
