#!/usr/bin/python3
"""Runs the end-to-end scenarios of scripts/e2e_cases/ (scripts/e2elib.py
says how one is written), all of them or those named, each from a fresh
folder and with the screen, window manager and tray it asks for.

Started by scripts/e2e inside dbus-run-session. Exits 0 when every scenario
passed, 1 when one failed (with a screenshot of the screen), 2 for a name
that is no scenario's.
"""

import argparse
import datetime
import importlib
import os
import signal
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_cases  # noqa: E402
import e2elib as e  # noqa: E402


def load_scenarios():
    for module in e2e_cases.MODULES:
        importlib.import_module(f"e2e_cases.{module}")
    return e.SCENARIOS


class Setting:
    """The screen, window manager and tray the scenarios ask for, changed
    only where the next one asks for something else."""

    def __init__(self, work, texts):
        self.work, self.texts = work, texts
        self.display = self.wm = self.tray = None

    def arrange(self, case):
        if self.display and self.display.size != case.screen:
            self.stop()
        if not self.display:
            self.display = e.Display(case.screen, self.texts, self.work)
            e.log(f"  Xvfb {case.screen} on {self.display.name}")
        if self.tray and not case.tray:
            self.tray.stop()
            self.tray = None
        if self.wm and self.wm.name != case.wm:
            self.wm.stop()
            self.wm = None
        if case.wm and not self.wm:
            began = time.monotonic()
            self.wm = e.start_window_manager(case.wm, self.display, self.work)
            e.log(f"  {case.wm} manages windows ({time.monotonic() - began:.1f} s)")
        if case.tray and not self.tray:
            self.tray = e.start_tray(self.work)
        # The pointer where no window comes up: it moves over none of them unasked.
        e.xdotool("mousemove", self.display.width - 1, 0)

    def forget(self):
        """After a failure nothing of the helpers is trusted: the next case starts them anew."""
        for helper in (self.tray, self.wm):
            if helper:
                helper.stop()
        self.tray = self.wm = None

    def stop(self):
        self.forget()
        if self.display:
            self.display.stop()
            self.display = None


def on_alarm(signum, frame):
    raise e.Failure("the scenario took longer than its limit")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("cases", nargs="*", metavar="CASE", help="the scenarios to run; all of them without")
    parser.add_argument("--list", action="store_true", help="names the scenarios and stops")
    parser.add_argument("--check", action="store_true", help="only checks that the cases named exist")
    parser.add_argument("--program", help="the built program, copied into a folder of its own for the run")
    parser.add_argument("--work", help="where the scenarios' folders and the helpers' logs go")
    parser.add_argument("--screenshots", help="where the pictures and a failure's screenshot go")
    args = parser.parse_args()
    scenarios = load_scenarios()
    if args.list:
        width = max(len(s.name) for s in scenarios)
        for s in scenarios:
            print(f"{s.name:<{width}}  {s.doc}")
        return 0
    by_name = {s.name: s for s in scenarios}
    unknown = [c for c in args.cases if c not in by_name]
    if unknown:
        print(f"e2e: no scenario named {', '.join(unknown)}; scripts/e2e --list names them", file=e.LOG)
        return 2
    if args.check:
        return 0
    if not (args.program and args.work and args.screenshots):
        parser.error("--program, --work and --screenshots are needed to run")
    chosen = [by_name[c] for c in dict.fromkeys(args.cases)] or scenarios
    # Every character any scenario types, bound before anything starts: a
    # window manager handling keymap changes under load leaves new windows
    # unmapped for seconds.
    setting = Setting(args.work, [t for s in scenarios for t in s.texts])
    signal.signal(signal.SIGALRM, on_alarm)
    failed = []
    try:
        # Ask for the accessibility bus before the program starts, so that it finds one.
        e.Atspi.get_desktop(0).set_cache_mask(e.Atspi.Cache.NONE)
        for n, case in enumerate(chosen, 1):
            began = time.monotonic()
            e.log(f"case {n} of {len(chosen)}: {case.name} ({case.doc})")
            stage = None
            try:
                signal.alarm(case.limit)
                setting.arrange(case)
                stage = e.Stage(case.name, args.program, args.work, args.screenshots, setting.display, case.wm)
                case.run(stage)
                signal.alarm(0)
                e.log(f"case {case.name}: ok ({time.monotonic() - began:.1f} s)")
            except Exception as x:
                signal.alarm(0)
                message = str(x) if isinstance(x, e.Failure) else f"{type(x).__name__}: {x}"
                if not isinstance(x, e.Failure):
                    traceback.print_exc(file=e.LOG)
                stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
                try:
                    shot = e.screenshot(os.path.join(args.screenshots, f"e2e-fail-{case.name}-{stamp}.png"))
                except Exception as y:  # the failure itself matters more than its picture
                    shot = f"(no screenshot: {y})"
                e.log(f"FAIL in {case.name}: {message}")
                e.log(f"screenshot: {shot}")
                failed.append(f"{case.name}: {message}")
                setting.forget()
            finally:
                if stage:
                    stage.close()
    finally:
        signal.alarm(0)
        setting.stop()
    spent = time.monotonic() - e.T0
    if failed:
        print(f"e2e: FAIL ({len(failed)} of {len(chosen)} cases, {spent:.0f} s)", file=e.LOG, flush=True)
        for f in failed:
            print(f"  {f}", file=e.LOG, flush=True)
        return 1
    print(f"e2e: PASS ({len(chosen)} cases, {spent:.0f} s)", file=e.LOG, flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
