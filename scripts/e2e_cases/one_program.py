"""One program per folder of files: a second start brings the first forward."""

import os
import subprocess
import time

from e2elib import (
    TASK_PREFIX, Failure, above, active_window, click, enabled, log, scenario, showing, stacking, tray_icon, wait_for, wait_rows, window_at, x_windows, xdotool,
)
from e2e_cases.windows import open_about

TIMES, TEXTS = ["14:30:00"], [TASK_PREFIX + "开会"]
FILES = {
    "Time.stt": b"14:30:00\r\n",
    "Task.sts": (TASK_PREFIX + "开会\r\n").encode("gbk"),
    "Quorvalent.ini": b"[Setup_Info]\r\nLeft=1500\r\nTop=1500\r\n",
}


def contents(folder):
    """Every file of the folder but the program, with its bytes."""
    return {n: open(os.path.join(folder, n), "rb").read() for n in sorted(os.listdir(folder)) if n != "quorvalent"}


def start_again(s, p, term, front, what):
    """A second start for the same folder while term has the keys: it ends with
    0 at once, touches no file, and front (the first's window) is on top and active."""
    before = contents(s.folder)
    term.focus()
    term.type("typing ")
    term.wait_received("typing ")
    # Terminals of a desktop stamp their window at every key; a window manager
    # that prevents focus stealing refuses activations older than that. The X
    # server's time is the monotonic clock in milliseconds.
    stamp = int(time.monotonic() * 1000) & 0xFFFFFFFF
    stamp_command = ["xprop", "-id", str(term.wid), "-f", "_NET_WM_USER_TIME", "32c", "-set", "_NET_WM_USER_TIME"]
    subprocess.run([*stamp_command, str(stamp)], check=True)
    t0 = time.monotonic()
    again = s.launch()
    code = again.wait_exit(5)
    took = time.monotonic() - t0
    if code != 0:
        raise Failure(f"the second start ended with exit code {code}, {what}")
    try:
        wait_for("the first's window to be active", lambda: active_window() == front, 5)
        wait_for("the first's window above the terminal", lambda: above(front, term.wid), 5)
    except Failure:
        raise Failure(f"{what}: active {active_window()}, stacking {stacking()}; the first's window is {front}")
    if contents(s.folder) != before:
        raise Failure(f"the second start changed the files, {what}")
    if not tray_icon(p) or not p.alive():
        raise Failure(f"the first program or its icon went, {what}")
    log(f"  {what}: the second start ended with 0 after {took:.2f} s; the first's window is on top and active")


@scenario("one-program", wm=("openbox", "kwin", "mutter"), tray=True, limit=180)
def one_program(s):
    """a second start for the same folder ends at once and brings the first
    forward, shown, from the tray, from behind the clock bar and behind the
    about window; after kill -9 the next start loads the schedule; two folders
    run side by side, each saving its own"""
    for name, data in FILES.items():
        with open(os.path.join(s.folder, name), "wb") as f:
            f.write(data)
    p = s.start()
    wait_rows(p, TIMES, TEXTS)
    main = p.main_wid()
    term = s.terminal()
    start_again(s, p, term, main, "shown, behind the terminal")

    xdotool("windowminimize", main)
    wait_for("the minimised main window to be unmapped", lambda: main not in x_windows(p.pid), 5)
    start_again(s, p, term, main, "in the tray")
    if not showing(p.window):
        raise Failure("the main window did not come back from the tray")

    click(p.button("隐藏主窗口"), "隐藏主窗口")
    bar = wait_for("the clock bar", lambda: window_at(p.pid, (0, 0, 566, 24)), 5)
    wait_for("the main window to be hidden", lambda: not showing(p.window), 5)
    start_again(s, p, term, main, "behind the clock bar")
    if bar not in x_windows(p.pid):
        raise Failure("the clock bar went when the main window came forward")
    click(p.button("隐藏主窗口"), "隐藏主窗口")  # the bar stays the one way back
    wait_for("the main window to be hidden again", lambda: not showing(p.window), 5)
    xdotool("mousemove", 296, 12, "click", "1")  # its 显示主窗体
    p.check_main_back("显示主窗体 on the clock bar")
    wait_for("the clock bar to go", lambda: bar not in x_windows(p.pid), 5)

    about = open_about(p)
    start_again(s, p, term, about, "disabled behind the about window")
    if not showing(p.window) or enabled(p["Command7"]) or not above(about, main):
        raise Failure("behind the about window, the main window is not shown and disabled under it")
    xdotool("mousemove", *[v + 100 for v in wait_for("the about window", lambda: x_windows(p.pid).get(about), 5)[:2]],
            "click", "1")
    p.check_main_back("a click on the about window")

    p.proc.kill()  # kill -9: no end, no save, the lock left behind
    p.proc.wait()
    p = s.start()
    wait_rows(p, TIMES, TEXTS)
    log("  after kill -9 the next start runs and loads the schedule")

    other = s.new_folder("other")
    q = s.start(other)
    if not p.alive():
        raise Failure("a start in another folder ended the first")
    q.quit()
    p.quit()
    schedule = {n: FILES[n] for n in ("Task.sts", "Time.stt")}
    if {n: contents(s.folder).get(n) for n in schedule} != schedule or "Time.stt" in contents(other):
        raise Failure(f"the folders hold {contents(s.folder)} and {contents(other)}")
    log("  two folders ran side by side; each saved its own")
