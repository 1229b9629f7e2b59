#!/usr/bin/python3
"""End-to-end run of the real program: clicks and keys through xdotool, what
the windows show read back through the accessibility bus (AT-SPI).

Started by scripts/e2e inside dbus-run-session on an Xvfb display. Exits 0 when
every step passed, 1 on the first deviation (with a screenshot of the screen).
"""

import argparse
import ctypes
import ctypes.util
import datetime
import os
import re
import shutil
import subprocess
import sys
import time
import traceback

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The log goes to descriptor 3; stdout and stderr carry the buses' chatter into a file.
try:
    LOG = os.fdopen(3, "w", buffering=1)
except OSError:
    LOG = sys.stdout
sys.stderr = LOG

MAIN_TITLE = "Quorvalent2.0"
BOX_TITLE = "Quorvalent"
TASK_PREFIX = "时提醒您："
TIME_RE = re.compile(r"^([0-9]|1[0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$")
POLL = 0.05
# What the boxes' buttons read: Qt's own Chinese texts, whatever the system's language.
BUTTON = {"OK": "确定", "Cancel": "取消"}
DAY = 24 * 3600

# What the user types: one reminder, two tasks due together and one far off.
SINGLE_TEXT = "单个提醒：给妈妈打电话"
DUE_TEXTS = ("第一件：开会", "第二件：喝水")
FAR_TEXT = "远处的任务：写周报"

T0 = time.monotonic()


class Failure(Exception):
    pass


def log(text):
    print(f"[{time.monotonic() - T0:6.1f}s] {text}", file=LOG, flush=True)


# --- times as the clock writes them -------------------------------------------


def seconds_of(text):
    if not TIME_RE.match(text):
        raise Failure(f"not a clock time (H:mm:ss): {text!r}")
    h, m, s = (int(part) for part in text.split(":"))
    return h * 3600 + m * 60 + s


def clock_text(seconds):
    seconds %= DAY
    return f"{seconds // 3600}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


def ahead(later, earlier):
    """Seconds from earlier to later, across midnight; negative when later is behind."""
    d = (seconds_of(later) - seconds_of(earlier)) % DAY
    return d - DAY if d > DAY // 2 else d


def wall_clock():
    now = datetime.datetime.now()
    return clock_text(now.hour * 3600 + now.minute * 60 + now.second)


# --- the accessibility tree ---------------------------------------------------


def role(acc):
    return acc.get_role_name()


def children(acc):
    return [acc.get_child_at_index(i) for i in range(acc.get_child_count())]


def showing(acc):
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def state(acc, which):
    return acc.get_state_set().contains(which)


def extents(acc):
    e = Atspi.Component.get_extents(acc, Atspi.CoordType.SCREEN)
    return e.x, e.y, e.width, e.height


def text_of(acc):
    return Atspi.Text.get_text(acc, 0, Atspi.Text.get_character_count(acc))


def wait_for(what, probe, timeout, poll=POLL):
    """Polls probe until it returns something true; fails with what after timeout."""
    end = time.monotonic() + timeout
    while True:
        try:
            value = probe()
        except GLib.Error:
            value = None  # an object went away between two calls: look again
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(poll)


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def hold_display():
    """Keeps a connection to the X server for the whole run: the server resets,
    and forgets the keys bound below, whenever its last client leaves."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    if not x11.XOpenDisplay(None):
        raise Failure(f"cannot open the display {os.environ.get('DISPLAY')!r}")


def map_characters(texts):
    """Gives every character of texts that no key carries a key of its own.

    Left to itself, xdotool rebinds a spare key for each such character while
    typing, and under load the program may read a key before its new binding:
    characters go missing or repeat. Bound once, before the program starts,
    they type as plainly as letters."""
    table = subprocess.run(["xmodmap", "-pke"], capture_output=True, text=True, check=True).stdout
    spare = []
    for line in table.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == "keycode":
            # Keys without symbols, or media keys this run never presses.
            if all(sym == "NoSymbol" or sym.startswith("XF86") for sym in parts[3:]):
                spare.append(int(parts[1]))
    spare.sort(reverse=True)
    wanted = sorted({c for text in texts for c in text if not (c.isascii() and c.isprintable())})
    if len(wanted) > len(spare):
        raise Failure(f"{len(wanted)} characters to type, only {len(spare)} keys to bind them to")
    bindings = []
    for code, c in zip(spare, wanted):
        bindings += ["-e", f"keycode {code} = U{ord(c):04X} U{ord(c):04X}"]
    subprocess.run(["xmodmap", *bindings], check=True)
    table = subprocess.run(["xmodmap", "-pke"], capture_output=True, text=True, check=True).stdout
    unbound = [c for c in wanted if f" U{ord(c):04X}" not in table]
    if unbound:
        raise Failure(f"the keyboard did not take the characters {''.join(unbound)!r}")


def wm_ready():
    out = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], capture_output=True, text=True).stdout
    return "window id #" in out


class Program:
    """One run of the program, seen from outside."""

    def __init__(self, executable, logfile, env=None):
        self.executable = executable
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", **(env or {}))
        self.logfile = open(logfile, "ab")
        self.proc = subprocess.Popen(
            [executable], cwd="/", env=env, stdin=subprocess.DEVNULL, stdout=self.logfile, stderr=self.logfile
        )
        self.app = wait_for("the program on the accessibility bus", self._find_app, 20)
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.window = wait_for(f'the main window "{MAIN_TITLE}"', self._find_main, 20)
        self._controls = None
        self.wait_mapped()

    def _find_app(self):
        if self.proc.poll() is not None:
            raise Failure(f"the program ended at start-up with exit code {self.proc.returncode}")
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app is not None and app.get_process_id() == self.proc.pid:
                return app
        return None

    def _find_main(self):
        for w in children(self.app):
            if role(w) == "filler" and w.get_name() == MAIN_TITLE and showing(w):
                return w
        return None

    def wait_mapped(self):
        """Waits until the main window and every box are on the screen, not
        only known to the program: a click before that lands on nothing."""

        def mapped():
            ids = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid)], capture_output=True, text=True
            ).stdout.split()
            return len(ids) >= 1 + len(self.boxes())

        wait_for("the program's windows to be mapped", mapped, 10)

    def alive(self):
        return self.proc.poll() is None

    def stop(self):
        if self.alive():
            self.proc.kill()
            self.proc.wait()
        self.logfile.close()

    # The controls, found as a user finds them: by caption, by tooltip, and
    # left to right where several look alike. The keys are their objectNames.
    def controls(self):
        if self._controls is None:
            found = {}
            numbers, lists = [], []
            for c in children(self.window):
                r, name, tip = role(c), c.get_name(), c.get_description()
                if r == "label" and tip == "现在的时间":
                    found["Label3"] = c
                elif r == "label" and tip == "当前的状态":
                    found["Label9"] = c
                elif r == "text" and tip == "请输入数字":
                    numbers.append(c)
                elif r == "text":
                    found["Text4"] = c
                elif r == "list":
                    lists.append(c)
                else:
                    key = {
                        ("push button", "确定"): "Command5",
                        ("push button", "添加任务"): "Command9",
                        ("push button", "开始执行"): "Command18",
                        ("push button", "退出"): "Command7",
                        ("check box", "多任务"): "Check1",
                        ("check box", "隐藏多任务工具"): "Check2",
                    }.get((r, name))
                    if key:
                        found[key] = c
            if len(numbers) != 3 or len(lists) != 2:
                raise Failure(f"expected 3 number fields and 2 lists, found {len(numbers)} and {len(lists)}")
            # Order by position once the window shows them; the tree order is the fallback.
            for i, c in enumerate(sorted(numbers, key=lambda c: extents(c)[0])):
                found[f"Text{i + 1}"] = c
            if all(showing(c) for c in lists):
                lists.sort(key=lambda c: extents(c)[0])
            found["List1"], found["List2"] = lists
            needed = {"Label3", "Label9", "Text4", "Command5", "Command9", "Command18", "Command7", "Check1"}
            missing = needed - set(found)
            if missing:
                raise Failure("controls not found in the main window: " + ", ".join(sorted(missing)))
            self._controls = found
        return self._controls

    def __getitem__(self, name):
        return self.controls()[name]

    def clock(self):
        text = self["Label3"].get_name()
        if not TIME_RE.match(text):
            raise Failure(f"the clock Label3 shows {text!r}, not a time as H:mm:ss")
        return text

    def rows(self, name):
        return [item.get_name() for item in children(self[name])]

    def boxes(self):
        """The message boxes on the screen, oldest first."""
        # A box that is going away may leave an empty place in the tree for a moment.
        return [w for w in children(self.app) if w is not None and role(w) in ("alert", "dialog") and showing(w)]


def box_text(box):
    """The one text the box shows; None while it has not come up yet."""
    labels = [c.get_name() for c in children(box) if role(c) == "label" and showing(c) and c.get_name()]
    if len(labels) > 1:
        raise Failure(f"a message box with {len(labels)} texts: {labels!r}")
    return labels[0] if labels else None


def box_buttons(box):
    found = {}
    for c in children(box):
        for b in [c] + children(c):
            if role(b) == "push button" and showing(b):
                found[b.get_name()] = b
    return found


def click(acc, what):
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise Failure(f"{what} is not on the screen (extents {w}x{h})")
    xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")


def type_into(program, name, text):
    field = program[name]
    click(field, name)
    wait_for(f"{name} to take the focus", lambda: state(field, Atspi.StateType.FOCUSED), 5)

    def settled():
        # Keys may still be on their way; anything but a beginning of text is wrong at once.
        now = text_of(field)
        return (now,) if now == text or not text.startswith(now) else None

    for _ in range(3):
        xdotool("key", "--clearmodifiers", "ctrl+a", "BackSpace")
        xdotool("type", "--clearmodifiers", "--delay", "40", text)
        try:
            (got,) = wait_for(f"{name} to read {text!r}", settled, 5)
        except Failure:
            got = text_of(field)
        if got == text:
            return
        log(f"  {name} reads {got!r} after typing {text!r}; typing again")
    raise Failure(f"{name} reads {text_of(field)!r}, not the typed {text!r}")


def expect_box(program, text, buttons, timeout=10):
    """Waits for exactly one new box with text and these buttons; returns its buttons."""
    box = wait_for(f"the box {text!r}", lambda: (program.boxes() or [None])[-1], timeout)
    # Its contents arrive with the window; wait until the text is readable.
    shown = wait_for(f"the text of the box {text!r}", lambda: box_text(box), 5)
    if shown != text:
        raise Failure(f"box reads {shown!r}, expected {text!r}")
    if box.get_name() != BOX_TITLE:
        raise Failure(f"box {text!r} has the title {box.get_name()!r}, expected {BOX_TITLE!r}")
    found = wait_for(f"the buttons of the box {text!r}", lambda: box_buttons(box), 5)
    want = [BUTTON[b] for b in buttons]
    if sorted(found) != sorted(want):
        raise Failure(f"box {text!r} has the buttons {sorted(found)}, expected {sorted(want)}")
    return box, {b: found[BUTTON[b]] for b in buttons}


def press(program, box, buttons, which):
    program.wait_mapped()
    click(buttons[which], f"the {which} button")
    wait_for(f"the box to close after {which}", lambda: box not in program.boxes(), 5)


def answer(program, text, buttons, which="OK"):
    box, found = expect_box(program, text, buttons)
    press(program, box, found, which)


def wait_label(program, name, text, timeout=5):
    try:
        wait_for(f"{name} to read {text!r}", lambda: program[name].get_name() == text, timeout)
    except Failure:
        raise Failure(f"{name} reads {program[name].get_name()!r}, expected {text!r}")


def wait_rows(program, times, texts, timeout=5):
    want = (times, texts)
    try:
        wait_for("the lists", lambda: (program.rows("List1"), program.rows("List2")) == want, timeout)
    except Failure:
        raise Failure(
            f"List1/List2 hold {program.rows('List1')!r} / {program.rows('List2')!r}, expected {times!r} / {texts!r}"
        )


def fill_time(program, when):
    h, m, s = when.split(":")
    type_into(program, "Text1", h)
    type_into(program, "Text2", m)
    type_into(program, "Text3", s)


def catch_alerts(program, target, expected, timeout, dismissed=None):
    """Waits for the alerts due at target, one per expected text and in that
    order, and checks each while it is on the screen. Dismisses them as a user
    would: the newest, on top, once no further one has come for a moment, then
    calls dismissed with its text. Returns the clock text when the first was seen."""
    opened = []  # (box, text) in the order they came up
    first_seen = None
    end = time.monotonic() + timeout
    quiet_since = time.monotonic()
    while True:
        boxes = program.boxes()
        if os.environ.get("E2E_DEBUG"):
            log(f"    boxes {[box_text(b) for b in boxes]} opened {len(opened)}")
        known = [b for b, _ in opened]
        fresh = [b for b in boxes if b not in known]
        if fresh:
            clock = program.clock()
            first_seen = first_seen or clock
            for b in fresh:  # the tree lists the boxes in the order they opened
                text = wait_for("the text of an alert", lambda: box_text(b), 5)
                log(f"  alert at {clock} (wall clock {wall_clock()}): {text!r}")
                n = len(opened)
                if n >= len(expected):
                    raise Failure(f"alert {n + 1} of {len(expected)} expected: {text!r}")
                if text != expected[n]:
                    raise Failure(f"alert {n + 1} reads {text!r}, expected {expected[n]!r}")
                if b.get_name() != BOX_TITLE or sorted(box_buttons(b)) != [BUTTON["OK"]]:
                    raise Failure(f"alert {text!r}: title {b.get_name()!r}, buttons {sorted(box_buttons(b))}")
                check_on_time(clock, target)
                opened.append((b, text))
            quiet_since = time.monotonic()
        elif boxes and time.monotonic() - quiet_since > 1.2:
            top = boxes[-1]
            press(program, top, box_buttons(top), BUTTON["OK"])
            if dismissed:
                dismissed(next(t for b, t in opened if b == top))
            quiet_since = time.monotonic()
        elif not boxes and len(opened) == len(expected):
            return first_seen
        elif not boxes and not opened:
            clock = program.clock()
            if ahead(clock, target) > 1:
                raise Failure(f"no alert by {clock}; it was due at {target}")
        if time.monotonic() > end:
            raise Failure(f"timed out waiting for alerts; seen {[t for _, t in opened]!r}")
        time.sleep(POLL)


def no_box_for(program, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        boxes = program.boxes()
        if boxes:
            raise Failure(f"an unexpected box: {box_text(boxes[-1])!r}")
        time.sleep(POLL)


def check_on_time(seen, target):
    late = ahead(seen, target)
    if late < 0 or late > 1:
        raise Failure(f"an alert seen while the clock read {seen}; it was due at {target}")
    return "on its second" if late == 0 else "1 s late (seen just after the next tick)"


def context_menu(program, name):
    """Opens the context menu of a text field with a right click and returns
    its items' texts (without their shortcuts). Qt leaves popup menus out of
    the application's tree, so the menu is reached through the item that the
    Down key gives the focus to."""
    seen = []

    def focused(event):
        try:
            if event.detail1 and event.source.get_process_id() == program.proc.pid:
                seen.append(event.source)
        except GLib.Error:
            pass

    listener = Atspi.EventListener.new(focused)
    listener.register("object:state-changed:focused")
    try:
        x, y, w, h = extents(program[name])
        xdotool("mousemove", x + w // 2, y + h // 2, "click", "3")
        time.sleep(0.5)  # the menu maps before it takes keys
        xdotool("key", "Down")

        def item():
            while GLib.MainContext.default().iteration(False):
                pass
            return next((s for s in seen if role(s) == "menu item"), None)

        menu = wait_for(f"the context menu of {name}", item, 5).get_parent()
        items = [i.get_name().split("\t")[0] for i in children(menu) if role(i) == "menu item"]
    finally:
        listener.deregister("object:state-changed:focused")
    xdotool("key", "Escape")
    return [i for i in items if i]


def has_icon(button):
    """Whether the button shows coloured pixels: its face and text are grey,
    the icons styles put on dialog buttons are green and red."""
    x, y, w, h = extents(button)
    raw = subprocess.run(
        ["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
        capture_output=True, check=True, timeout=20,
    ).stdout
    for i in range(0, len(raw) - 2, 3):
        r, g, b = raw[i], raw[i + 1], raw[i + 2]
        if (g > r + 60 and g > b + 30) or (r > g + 80 and r > b + 80):
            return True
    return False


def free_display():
    n = 90
    while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
        n += 1
    return n


class Weston:
    """Debian's weston, headless, with XWayland: a Wayland session without a screen."""

    def __init__(self, folder):
        self.socket = "quorvalent-e2e"
        self.logfile = os.path.join(folder, "weston.log")
        self.proc = None
        self.display = None

    def __enter__(self):
        for tool in ("weston", "Xwayland"):
            if not shutil.which(tool):
                raise Failure(f"{tool} is missing")
        self.proc = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--xwayland", f"--socket={self.socket}",
             "--idle-time=0", f"--log={self.logfile}"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        )

        def listening():
            if self.proc.poll() is not None:
                raise Failure(f"weston ended at start-up (exit code {self.proc.returncode}); see {self.logfile}")
            if os.path.exists(self.logfile):
                m = re.search(r"xserver listening on display (:[0-9]+)", open(self.logfile).read())
                return m and m.group(1)
            return None

        try:
            self.display = wait_for("weston's XWayland", listening, 20)
        except Exception:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def backend_of(executable, args, env, xdisplay, logfile):
    """Starts the program and tells on which backend its main window came up:
    "x11" when X11 tools find it on XWayland's display, "wayland" when it
    gave a Wayland toplevel its title (WAYLAND_DEBUG shows the requests)."""
    full = dict(os.environ, WAYLAND_DEBUG="1", **env)
    full = {k: v for k, v in full.items() if v is not None}
    with open(logfile, "wb") as out:
        proc = subprocess.Popen([executable, *args], cwd="/", env=full, stdin=subprocess.DEVNULL, stdout=out, stderr=out)

    def came_up():
        if proc.poll() is not None:
            return f"nothing: it ended at start-up with exit code {proc.returncode} (see {logfile})"
        found = subprocess.run(
            ["xdotool", "search", "--pid", str(proc.pid), "--name", f"^{MAIN_TITLE}$"],
            env=dict(os.environ, DISPLAY=xdisplay), capture_output=True, text=True,
        ).stdout.split()
        if found:
            return "x11"
        with open(logfile, errors="replace") as f:
            if f'set_title("{MAIN_TITLE}")' in f.read():
                return "wayland"
        return None

    try:
        return wait_for("the main window on either backend", came_up, 20)
    except Failure:
        return "nothing within 20 s"
    finally:
        # SIGTERM ends the program as a session's end would: it saves and quits.
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
# --- X windows, as the window manager sees them ---------------------------------


def x_windows(pid):
    """The program's mapped X windows: id -> (x, y, width, height) on the screen."""
    ids = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(pid)], capture_output=True, text=True
    ).stdout.split()
    found = {}
    for wid in ids:
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True, text=True).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        try:
            found[int(wid)] = tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            pass  # gone meanwhile
    return found


def window_named(pid, title):
    ids = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--pid", str(pid), "--name", f"^{re.escape(title)}$"],
        capture_output=True,
        text=True,
    ).stdout.split()
    return int(ids[0]) if ids else None


def window_at(pid, rect):
    return next((wid for wid, r in x_windows(pid).items() if r == rect), None)


def tray_area():
    ids = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--class", "trayer"], capture_output=True, text=True
    ).stdout.split()
    for wid in ids:
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], capture_output=True, text=True).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        if values.get("WIDTH") and values.get("HEIGHT"):
            return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
    return None


def tray_icon(program):
    """The program's icon window, embedded in the notification area."""
    area = tray_area()
    if area is None:
        return None
    ax, ay, aw, ah = area
    for wid, (x, y, w, h) in x_windows(program.proc.pid).items():
        if ax <= x and x + w <= ax + aw and ay <= y and y + h <= ay + ah:
            return wid
    return None


def pixel(x, y):
    """The colour the screen shows at x, y."""
    out = subprocess.run(
        ["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
        capture_output=True,
        text=True,
        check=True,
    ).stdout
    m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in m.groups())


def child_named(window, role_name, name):
    for c in children(window):
        if role(c) == role_name and c.get_name() == name:
            return c
    raise Failure(f"no {role_name} {name!r} in the main window")


# --- the scenario ---------------------------------------------------------------


class Run:
    def __init__(self, executable, screenshots):
        self.executable = executable
        self.folder = os.path.dirname(executable)
        self.screenshots = screenshots
        self.program = None
        self.far = None
        self.tray = None

    def start(self, n, env=None):
        log(f"  starting {self.executable}")
        self.program = Program(self.executable, os.path.join(self.folder, f"program-{n}.log"), env)
        return self.program

    def step1_start(self):
        p = self.start(1)
        clock = p.clock()
        if abs(ahead(clock, wall_clock())) > 2:
            raise Failure(f"the clock shows {clock}, the system time is {wall_clock()}")
        log(f'  main window "{MAIN_TITLE}" is up; the clock reads {clock}')

    def step2_single(self):
        p = self.program
        text = SINGLE_TEXT
        target = clock_text(seconds_of(p.clock()) + 12)
        log(f"  single reminder at {target}: {text!r}")
        fill_time(p, target)
        type_into(p, "Text4", text)
        click(p["Command5"], "确定")
        answer(p, "您确定输入的项目正确吗？注意时间格式为24小时制。", ["OK", "Cancel"])
        answer(p, "提醒任务已经开始", ["OK"])
        wait_label(p, "Label9", " 提醒任务已经开始。")
        armed = p.clock()
        if ahead(target, armed) <= 0:
            raise Failure(f"too slow: the reminder for {target} was only started at {armed}")
        log(f"  started at {armed}; waiting for the alert")
        seen = catch_alerts(p, target, ["我要提醒您:" + text], ahead(target, armed) + 10)
        log(f"  the alert read right, {check_on_time(seen, target)}")
        wait_label(p, "Label9", " 没有任何提醒任务")
        log('  Label9 reads " 没有任何提醒任务"')

    def step3_schedule(self):
        p = self.program
        now = seconds_of(p.clock())
        due = clock_text(now + 22)
        far = clock_text(now + 2 * 3600)
        tasks = [(due, DUE_TEXTS[0]), (far, FAR_TEXT), (due, DUE_TEXTS[1])]
        self.far = (far, TASK_PREFIX + tasks[1][1])
        click(p["Check1"], "多任务")
        wait_for("the full layout with the task lists", lambda: showing(p["List1"]) and showing(p["List2"]), 5)
        wait_for("添加任务 to be enabled", lambda: state(p["Command9"], Atspi.StateType.ENABLED), 5)
        p._controls = None  # positions changed with the layout
        for n, (when, text) in enumerate(tasks, 1):
            fill_time(p, when)
            type_into(p, "Text4", text)
            click(p["Command9"], "添加任务")
            wait_rows(p, [t for t, _ in tasks[:n]], [TASK_PREFIX + x for _, x in tasks[:n]])
            log(f"  added {when} {text!r}")
        click(p["Command18"], "开始执行")
        answer(p, "OK", ["OK"])
        started = p.clock()
        if ahead(due, started) <= 0:
            raise Failure(f"too slow: the schedule with tasks at {due} was only started at {started}")
        log(f"  schedule started at {started}; waiting for the two alerts due at {due}")
        expected = [f"{due} {TASK_PREFIX}{x} 请单击“确定”按钮删除此消息" for w, x in tasks if w == due]
        left = list(tasks)

        def dismissed(text):
            # Dismissing an alert removes its task, and only that one.
            left[:] = [(w, x) for w, x in left if f"{w} {TASK_PREFIX}{x} " not in text]
            wait_rows(p, [w for w, _ in left], [TASK_PREFIX + x for _, x in left])
            log(f"  dismissed; the lists hold {[x for _, x in left]!r}")

        seen = catch_alerts(p, due, expected, ahead(due, started) + 15, dismissed)
        log(f"  both alerts read right and came in list order, the first {check_on_time(seen, due)}")
        no_box_for(p, 1.5)
        wait_rows(p, [far], [self.far[1]])
        log(f"  the lists hold only the far task {far}")

    def exit_program(self):
        p = self.program
        click(p["Command7"], "退出")
        answer(p, "确定退出吗?", ["OK", "Cancel"])
        try:
            p.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("the program still runs 10 s after 退出 → OK")
        if p.proc.returncode != 0:
            raise Failure(f"the program ended with exit code {p.proc.returncode}")
        p.stop()
        self.program = None

    def step4_exit(self):
        self.exit_program()
        log("  the program ended with exit code 0")
        files = {}
        for name in ("Task.sts", "Time.stt", "Quorvalent.ini"):
            path = os.path.join(self.folder, name)
            if not os.path.isfile(path):
                raise Failure(f"{name} was not saved beside the program in {self.folder}")
            with open(path, "rb") as f:
                files[name] = f.read()
        want = {"Time.stt": self.far[0], "Task.sts": self.far[1]}
        for name, line in want.items():
            got = files[name].decode("gb18030")
            if got != line + "\r\n":
                raise Failure(f"{name} holds {got!r}, expected {line + chr(13) + chr(10)!r}")
        log("  Task.sts, Time.stt and Quorvalent.ini saved; the schedule files hold the far task")

    def step5_restart(self):
        p = self.start(2)
        click(p["Check1"], "多任务")
        wait_for("the task lists", lambda: showing(p["List1"]), 5)
        wait_rows(p, [self.far[0]], [self.far[1]])
        log(f"  after the restart the lists show {self.far[0]} / {self.far[1]!r}")
        self.exit_program()
        log("  ended again with exit code 0")

    def step_english_system(self):
        """Qt's own texts (the boxes' buttons, the text fields' menu) stay
        Chinese whatever the system's language, and the buttons carry no icon."""
        for n, lang in enumerate(("C", "en_US.UTF-8"), 3):
            locale = {name: "" for name in ("LC_ALL", "LC_MESSAGES", "LANGUAGE")}
            p = self.start(n, dict(locale, LANG=lang))
            type_into(p, "Text4", "abc")  # an empty field's menu has no item to focus
            menu = context_menu(p, "Text4")
            log(f"  LANG={lang}: the text field's menu reads {menu!r}")
            english = [item for item in menu if not re.search(r"[\u4e00-\u9fff]", item)]
            if not menu or english:
                raise Failure(f"LANG={lang}: the text field's menu is not Chinese: {menu!r}")
            click(p["Command7"], "退出")
            box, found = expect_box(p, "确定退出吗?", ["OK", "Cancel"])
            for which, button in found.items():
                if has_icon(button):
                    raise Failure(f"LANG={lang}: the {BUTTON[which]} button of the exit box carries an icon")
            log(f"  LANG={lang}: the exit box offers {BUTTON['OK']} and {BUTTON['Cancel']}, without icons")
            press(p, box, found, "OK")
            try:
                p.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                raise Failure("the program still runs 10 s after 退出 → OK")
            p.stop()
            self.program = None

    def step_wayland_session(self):
        """On a Wayland session the program uses XWayland when it can, Wayland
        when no X server answers, and a backend chosen explicitly."""
        with Weston(self.folder) as weston:
            log(f"  weston runs headless: Wayland {weston.socket}, XWayland on {weston.display}")
            session = {"WAYLAND_DISPLAY": weston.socket, "XDG_SESSION_TYPE": "wayland", "QT_QPA_PLATFORM": None}
            cases = [
                ("a Wayland session with XWayland", dict(session, DISPLAY=weston.display), [], "x11"),
                ("QT_QPA_PLATFORM=wayland", dict(session, DISPLAY=weston.display, QT_QPA_PLATFORM="wayland"), [], "wayland"),
                ("-platform wayland", dict(session, DISPLAY=weston.display), ["-platform", "wayland"], "wayland"),
                ("no DISPLAY", dict(session, DISPLAY=None), [], "wayland"),
                ("a DISPLAY where no X server answers", dict(session, DISPLAY=":" + str(free_display())), [], "wayland"),
            ]
            for n, (what, env, args, want) in enumerate(cases, 5):
                got = backend_of(self.executable, args, env, weston.display, os.path.join(self.folder, f"program-{n}.log"))
                if got != want:
                    raise Failure(f"with {what} the program came up on {got}, expected {want}")
                log(f"  with {what}: the main window is on {want}")
    # --- windows closed by the window manager, the about window's border, the
    # tray icon, the running-task frame: one run of the program with a tray.

    def ui_steps(self):
        return [
            ("closes through the window manager", self.step_wm_closes),
            ("about window's border", self.step_about_border),
            ("hovering over the tray icon", self.step_tray_hover),
            ("the frame round the running clock", self.step_running_frame),
            ("activation is no change of focus", self.step_activation_keeps_frame),
        ]

    def start_with_tray(self):
        """Starts a notification area (trayer, an XEmbed tray) and then the program."""
        if self.tray is None:
            self.tray = subprocess.Popen(
                ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32"],
                stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL,
            )
            wait_for("the notification area", lambda: tray_area() is not None, 10)
        p = self.start(3)
        p.controls()  # while the clock still has its first tooltip
        wait_for("the program's icon in the notification area", lambda: tray_icon(p), 10)
        return p

    def stop_helpers(self):
        if self.tray is not None:
            self.tray.terminate()
            self.tray.wait()
            self.tray = None

    def check_main_back(self, p, after):
        wait_for(f"the main window to be shown after {after}", lambda: showing(p.window), 5)
        wait_for(
            f"the main window to take input after {after}", lambda: state(p["Command7"], Atspi.StateType.ENABLED), 5
        )
        if not p.alive():
            raise Failure(f"the program ended after {after}")

    def open_about(self, p):
        x, y, _, _ = extents(p.window)
        before = set(x_windows(p.proc.pid))
        # The bare surface left of the clock.
        xdotool("mousemove", x + 5, y + 120, "click", "--repeat", "2", "--delay", "80", "1")
        wid = wait_for("the about window", lambda: next(iter(set(x_windows(p.proc.pid)) - before), None), 5)
        wait_for("the main window to be disabled", lambda: not state(p["Command7"], Atspi.StateType.ENABLED), 5)
        return wid

    def step_wm_closes(self):
        p = self.program = self.start_with_tray()
        # The about window, closed with Alt+F4: the main window is enabled and shown again.
        about = self.open_about(p)
        xdotool("windowactivate", "--sync", about)
        xdotool("key", "--clearmodifiers", "alt+F4")
        wait_for("the about window to go", lambda: about not in x_windows(p.proc.pid), 5)
        self.check_main_back(p, "Alt+F4 on the about window")
        log("  Alt+F4 on the about window: it went, the main window is enabled")
        # The clock bar, closed through the window manager (_NET_CLOSE_WINDOW).
        click(child_named(p.window, "push button", "隐藏主窗口"), "隐藏主窗口")
        bar = wait_for("the clock bar", lambda: window_at(p.proc.pid, (0, 0, 566, 24)), 5)
        wait_for("the main window to be hidden", lambda: not showing(p.window), 5)
        subprocess.run(["wmctrl", "-i", "-c", hex(bar)], check=True)
        wait_for("the clock bar to go", lambda: bar not in x_windows(p.proc.pid), 5)
        self.check_main_back(p, "closing the clock bar")
        log("  the window manager's close on the clock bar: the main window is back")
        # Message boxes: closing one is a refusal, and the main window stays usable.
        for control, text, buttons in (
            ("退出", "确定退出吗?", ["OK", "Cancel"]),
            ("确定", "请输入具体时间，不然我无法提醒您", ["OK"]),
        ):
            before = set(x_windows(p.proc.pid))
            click(child_named(p.window, "push button", control), control)
            box, _ = expect_box(p, text, buttons)
            wid = wait_for("the box's window", lambda: next(iter(set(x_windows(p.proc.pid)) - before), None), 5)
            subprocess.run(["wmctrl", "-i", "-c", hex(wid)], check=True)
            wait_for(f"the box {text!r} to close", lambda: box not in p.boxes(), 5)
            self.check_main_back(p, f"closing the box {text!r}")
            log(f"  the window manager's close on the box {text!r}: the program runs on, the main window takes input")

    def step_about_border(self):
        p = self.program
        about = self.open_about(p)
        ax, ay, aw, ah = x_windows(p.proc.pid)[about]
        shot = self.capture("about-window", (ax - 12, ay - 12, aw + 24, ah + 24))
        log(f"  the about window is {aw}x{ah} at {ax},{ay}: {shot}")
        # Its border, in the button face all round, outside the 444 x 214 picture area.
        if (aw, ah) != (444 + 8, 214 + 8):
            raise Failure(f"the about window is {aw}x{ah}, expected the client area 444x214 and a 4-pixel border")
        for px, py in ((ax + 2, ay + ah // 2), (ax + aw - 3, ay + ah // 2), (ax + aw // 2, ay + 2), (ax + aw // 2, ay + ah - 3)):
            colour = pixel(px, py)
            if colour in ((0, 0, 128),) or max(colour) - min(colour) > 24:
                raise Failure(f"the border at {px},{py} is {colour}, not a grey frame")
        # Dragging its right border widens it through the window manager.
        xdotool("mousemove", ax + aw - 2, ay + ah // 2, "mousedown", "1")
        # The first small movement starts the window manager's resize, from there on.
        for dx in (2, 20, 40, 62):
            xdotool("mousemove", ax + aw - 2 + dx, ay + ah // 2)
            time.sleep(0.1)
        xdotool("mouseup", "1")
        wait_for("the about window to be 60 pixels wider", lambda: x_windows(p.proc.pid)[about][2] >= aw + 55, 5)
        log(f"  dragging its right border made it {x_windows(p.proc.pid)[about][2]} wide")
        # A click on the border is no click on the window; one in the picture is.
        xdotool("mousemove", ax + 1, ay + ah // 2, "click", "1")
        time.sleep(0.5)
        if about not in x_windows(p.proc.pid):
            raise Failure("a click on the about window's border closed it")
        xdotool("mousemove", ax + 100, ay + 100, "click", "1")
        wait_for("the about window to go after a click on it", lambda: about not in x_windows(p.proc.pid), 5)
        self.check_main_back(p, "a click on the about window")
        log("  a click on the border left it open; a click on the picture closed it")

    def step_tray_hover(self):
        p = self.program
        main = window_named(p.proc.pid, MAIN_TITLE)
        xdotool("mousemove", 5, 5)
        xdotool("windowminimize", main)
        wait_for("the minimised main window to be hidden", lambda: not showing(p.window), 5)
        wait_for("the minimised main window to be unmapped", lambda: main not in x_windows(p.proc.pid), 5)
        icon = tray_icon(p)
        ix, iy, iw, ih = x_windows(p.proc.pid)[icon]
        log(f"  minimised: hidden; the icon is {iw}x{ih} at {ix},{iy}; moving the pointer onto it, no click")
        xdotool("mousemove", ix + iw // 2, iy + ih // 2)
        wait_for("the main window to come back from hovering over the icon", lambda: showing(p.window), 5)
        log("  the main window came back")

    def step_running_frame(self):
        p = self.program
        target = clock_text(seconds_of(p.clock()) + 3600)
        fill_time(p, target)
        type_into(p, "Text4", "开会")
        click(p["Command5"], "确定")
        answer(p, "您确定输入的项目正确吗？注意时间格式为24小时制。", ["OK", "Cancel"])
        answer(p, "提醒任务已经开始", ["OK"])
        wait_label(p, "Label9", " 提醒任务已经开始。")
        xdotool("mousemove", 1270, 5)  # off the window: no pointer movement over it
        time.sleep(0.5)
        x, y, w, h = extents(p["Label3"])
        shot = self.capture("running-frame", (x - 120, y - 30, w + 240, h + 60))
        log(f"  a single task runs: {shot}")
        for px, py in ((x - 2, y + h // 2), (x + w + 1, y + h // 2), (x + w // 2, y - 2), (x + w // 2, y + h + 1)):
            if pixel(px, py) != (255, 255, 128):
                raise Failure(f"no hover frame at {px},{py} round the clock: {pixel(px, py)}")
        log("  the frame shows on all four sides of the clock")
        click(child_named(p.window, "push button", "取消"), "取消")
        answer(p, "已经取消！", ["OK"])
        wait_label(p, "Label9", " 没有提醒任务")

    def outer_height(self, p, layout, twips):
        """The layouts set the outer height, the window manager's frame
        included, once that frame is on."""
        want = twips // 15

        def outer():
            main = window_named(p.proc.pid, MAIN_TITLE)
            geometry = x_windows(p.proc.pid).get(main) if main else None
            out = subprocess.run(["xprop", "-id", str(main), "_NET_FRAME_EXTENTS"], capture_output=True, text=True).stdout
            extents_ = [int(v) for v in re.findall(r"\d+", out.split("=", 1)[-1])] if "=" in out else []
            if geometry is None or len(extents_) != 4 or extents_[2] == 0:
                return None
            return geometry[3] + extents_[2] + extents_[3]

        wait_for(f"the framed window in the {layout} layout", outer, 5)
        wait_for(f"an outer height of {want} px in the {layout} layout, not {outer()}", lambda: outer() == want, 5)
        log(f"  {layout} layout: {want} px high with the window manager's frame")

    def step_activation_keeps_frame(self):
        p = self.program
        self.outer_height(p, "compact", 6810)
        # A schedule alert takes the activation while the hours field has the focus.
        click(p["Check1"], "多任务")
        wait_for("the full layout", lambda: showing(p["List1"]), 5)
        self.outer_height(p, "full", 8970)
        due = clock_text(seconds_of(p.clock()) + 12)
        fill_time(p, due)
        type_into(p, "Text4", "喝水")
        click(p["Command9"], "添加任务")
        wait_for("the task in the list", lambda: due in p.rows("List1"), 5)
        click(p["Command18"], "开始执行")
        answer(p, "OK", ["OK"])
        click(p["Text1"], "Text1")
        wait_for("Text1 to take the focus", lambda: state(p["Text1"], Atspi.StateType.FOCUSED), 5)
        x, y, w, h = extents(p["Command7"])
        xdotool("mousemove", x + w // 2, y + h // 2)  # the frame round 退出, no click
        wait_for("the frame round 退出", lambda: pixel(x - 2, y + h // 2) == (255, 255, 128), 5)
        box = wait_for("the alert", lambda: (p.boxes() or [None])[-1], 30)
        time.sleep(0.5)
        if pixel(x - 2, y + h // 2) != (255, 255, 128):
            raise Failure("the hover frame went when the alert took the activation")
        log("  the alert took the activation; the frame round 退出 stayed")
        press(p, box, box_buttons(box), BUTTON["OK"])
        self.exit_program()
        self.stop_helpers()

    def capture(self, label, rect):
        os.makedirs(self.screenshots, exist_ok=True)
        x, y, w, h = rect
        path = os.path.join(self.screenshots, f"e2e-{label}.png")
        subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", path], check=True, timeout=20)
        return path

    def screenshot(self, label):
        os.makedirs(self.screenshots, exist_ok=True)
        stamp = datetime.datetime.now().strftime("%Y%m%d-%H%M%S")
        path = os.path.join(self.screenshots, f"e2e-fail-{label}-{stamp}.png")
        try:
            subprocess.run(["import", "-window", "root", path], check=True, timeout=20)
            return path
        except Exception as e:  # the failure itself matters more than its picture
            return f"(no screenshot: {e})"

    def main(self):
        steps = [
            ("start", self.step1_start),
            ("single reminder", self.step2_single),
            ("schedule", self.step3_schedule),
            ("exit and save", self.step4_exit),
            ("restart", self.step5_restart),
            ("Chinese on an English system", self.step_english_system),
            ("X11 through XWayland on a Wayland session", self.step_wayland_session),
        ] + self.ui_steps()
        for n, (title, step) in enumerate(steps, 1):
            began = time.monotonic()
            log(f"step {n}: {title}")
            try:
                step()
            except Exception as e:
                message = str(e) if isinstance(e, Failure) else f"{type(e).__name__}: {e}"
                if not isinstance(e, Failure):
                    traceback.print_exc(file=LOG)
                shot = self.screenshot(f"step{n}")
                log(f"FAIL in step {n} ({title}): {message}")
                log(f"screenshot: {shot}")
                if self.program:
                    self.program.stop()
                print(f"e2e: FAIL (step {n} of {len(steps)}, {title}: {message})", file=LOG, flush=True)
                return 1
            log(f"step {n}: ok ({time.monotonic() - began:.1f} s)")
        print(f"e2e: PASS ({len(steps)} steps, {time.monotonic() - T0:.0f} s)", file=LOG, flush=True)
        return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the executable, alone in a folder of its own")
    parser.add_argument("--screenshots", required=True, help="where a failure's screenshot goes")
    args = parser.parse_args()
    if not shutil.which("xdotool"):
        print("e2e: FAIL (xdotool is missing)", file=LOG)
        return 1
    try:
        # The keys first: a window manager handling keymap changes under load
        # leaves new windows unmapped for seconds.
        hold_display()
        map_characters([SINGLE_TEXT, *DUE_TEXTS, FAR_TEXT])
    except (Failure, subprocess.CalledProcessError) as e:
        print(f"e2e: FAIL (set-up: {e})", file=LOG, flush=True)
        return 1
    # Windows need a manager for focus and stacking; its own messages are noise.
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        # A window mapped before the manager is ready never gets activated by a click.
        wait_for("the window manager", wm_ready, 10)
        # Ask for the accessibility bus before the program starts, so that it finds one.
        Atspi.get_desktop(0).set_cache_mask(Atspi.Cache.NONE)
    except (Failure, subprocess.CalledProcessError) as e:
        print(f"e2e: FAIL (set-up: {e})", file=LOG, flush=True)
        wm.terminate()
        wm.wait()
        return 1
    run = Run(os.path.abspath(args.program), os.path.abspath(args.screenshots))
    try:
        return run.main()
    finally:
        run.stop_helpers()
        wm.terminate()
        wm.wait()


if __name__ == "__main__":
    sys.exit(main())
