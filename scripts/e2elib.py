"""What the end-to-end scenarios are built from: the real program under Xvfb,
driven from outside as a user would (clicks and keys through xdotool), what
its windows show read back through the accessibility bus (AT-SPI).

A scenario is a function of a Stage, registered with @scenario in a module of
scripts/e2e_cases/. The runner (scripts/e2e.py) gives it a fresh folder with
the program in it and the screen, window manager and notification area it
asks for; the scenario starts the program itself, and whatever it started is
ended after it, pass or fail. For example:

    @scenario("typed-elsewhere", wm=("openbox", "kwin", "mutter"), tray=True,
              screen="1024x768", texts=["提醒"])
    def typed_elsewhere(s):  # one case per window manager: typed-elsewhere-kwin ...
        p = s.start()                       # in s.folder; main window up and mapped
        armed = arm_single(p, clock_text(seconds_of(p.clock()) + 8), "提醒")
        term = s.terminal()                 # an xterm, clicked into: it has the keys
        term.type("hello ")
        term.wait_received("hello ")        # what reached it, byte for byte
        box = wait_for("the alert", lambda: window_named(p.pid, BOX_TITLE), 15)
        if not above(box, term.wid): ...    # _NET_CLIENT_LIST_STACKING
        if active_window() != term.wid: ... # _NET_ACTIVE_WINDOW
        again = s.launch()                  # the same folder once more, not waited for
        if again.wait_exit(5) != 0: ...     # its real exit code
        elsewhere = s.start(s.new_folder("other"))
        elsewhere.quit()                    # 退出 → 确定, and exit code 0

Window managers are named by the keys of WINDOW_MANAGERS. Every character a
scenario types that no key carries must be in its texts: they are bound to
keys before anything starts. Clicks go where the pointer is, to whatever
window is on top there, as a user's do.
"""

import ctypes
import ctypes.util
import datetime
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

# The log goes to descriptor 3; stdout and stderr carry the buses' chatter into a file.
try:
    LOG = os.fdopen(3, "w", buffering=1)
except OSError:
    LOG = sys.stdout
sys.stderr = LOG

MAIN_TITLE = "Quorvalent2.0"
BOX_TITLE = "Quorvalent"
TASK_PREFIX = "时提醒您："
CONFIRM = "您确定输入的项目正确吗？注意时间格式为24小时制。"
TIME_RE = re.compile(r"^([0-9]|1[0-9]|2[0-3]):[0-5][0-9]:[0-5][0-9]$")
POLL = 0.05
# What the boxes' buttons read: Qt's own Chinese texts, whatever the system's language.
BUTTON = {"OK": "确定", "Cancel": "取消"}
DAY = 24 * 3600
HOVER = (255, 255, 128)  # the frame a control shows while the pointer is over it

T0 = time.monotonic()


class Failure(Exception):
    pass


def log(text):
    print(f"[{time.monotonic() - T0:6.1f}s] {text}", file=LOG, flush=True)


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


def output(*command):
    return subprocess.run([*map(str, command)], capture_output=True, text=True).stdout


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


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


def check_on_time(seen, target):
    late = ahead(seen, target)
    if late < 0 or late > 1:
        raise Failure(f"an alert seen while the clock read {seen}; it was due at {target}")
    return "on its second" if late == 0 else "1 s late (seen just after the next tick)"


# --- X windows, as the window manager sees them ---------------------------------


def geometry(wid):
    """Where a window is on the screen, (x, y, width, height); None once it is gone."""
    # xwininfo, not xdotool: that one counts a window manager's frame twice.
    out = output("xwininfo", "-id", wid)
    values = dict(re.findall(r"^\s*(Absolute upper-left X|Absolute upper-left Y|Width|Height):\s*(-?\d+)$", out, re.M))
    try:
        return tuple(int(values[k]) for k in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    except KeyError:
        return None


def root_windows(prop):
    """The windows a property of the root window lists, in its order."""
    out = output("xprop", "-root", prop)
    return [int(v, 16) for v in re.findall(r"0x[0-9a-f]+", out.split("#", 1)[-1])] if "#" in out else []


def stacking():
    """The managed windows from bottom to top (_NET_CLIENT_LIST_STACKING). A
    notification area is a dock, kept above all others."""
    return root_windows("_NET_CLIENT_LIST_STACKING")


def above(upper, lower):
    """Whether the window manager stacks one window above another."""
    order = stacking()
    return upper in order and lower in order and order.index(upper) > order.index(lower)


def client_list():
    """The managed windows in the order they were mapped (_NET_CLIENT_LIST)."""
    return root_windows("_NET_CLIENT_LIST")


def active_window():
    """The window the window manager has activated (_NET_ACTIVE_WINDOW); None for none."""
    return next((w for w in root_windows("_NET_ACTIVE_WINDOW") if w), None)


def frame_extents(wid):
    """The window manager's frame round a window: left, right, top, bottom; None without."""
    out = output("xprop", "-id", wid, "_NET_FRAME_EXTENTS")
    values = [int(v) for v in re.findall(r"\d+", out.split("=", 1)[-1])] if "=" in out else []
    return tuple(values) if len(values) == 4 else None


def x_windows(pid):
    """A process's mapped X windows: id -> (x, y, width, height) on the screen."""
    found = {}
    for wid in output("xdotool", "search", "--onlyvisible", "--pid", pid).split():
        rect = geometry(wid)
        if rect:
            found[int(wid)] = rect
    return found


def window_named(pid, title):
    ids = output("xdotool", "search", "--all", "--onlyvisible", "--pid", pid, "--name", f"^{re.escape(title)}$").split()
    return int(ids[0]) if ids else None


def window_at(pid, rect):
    return next((wid for wid, r in x_windows(pid).items() if r == rect), None)


def pixel(x, y):
    """The colour the screen shows at x, y."""
    out = subprocess.run(
        ["import", "-window", "root", "-crop", f"1x1+{x}+{y}", "-depth", "8", "txt:-"],
        capture_output=True, text=True, check=True,
    ).stdout
    m = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(v) for v in m.groups())


def screen_rgb(rect):
    """The pixels of that part of the screen, as (r, g, b) triples."""
    x, y, w, h = rect
    raw = subprocess.run(
        ["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "rgb:-"],
        capture_output=True, check=True, timeout=20,
    ).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw) - 2, 3)]


def has_icon(rect):
    """Whether that part of the screen shows coloured pixels: a button's face
    and text are grey, the icons styles put on dialog buttons green and red."""
    return any((g > r + 60 and g > b + 30) or (r > g + 80 and r > b + 80) for r, g, b in screen_rgb(rect))


def screenshot(path, rect=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    crop = ["-crop", "{2}x{3}+{0}+{1}".format(*rect), "+repage"] if rect else []
    subprocess.run(["import", "-window", "root", *crop, path], check=True, timeout=20)
    return path


def free_display():
    n = 90
    while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
        n += 1
    return n


# --- helpers the runner starts: the X server, a window manager, a tray -----------


class Helper:
    """A process of the run's own, in a process group of its own so that
    whatever it starts ends with it."""

    def __init__(self, what, command, logfile, env=None, pass_fds=()):
        self.what = what
        self.logfile = open(logfile, "ab")
        self.proc = subprocess.Popen(
            command, env=dict(os.environ, **(env or {})), stdin=subprocess.DEVNULL,
            stdout=self.logfile, stderr=self.logfile, start_new_session=True, pass_fds=pass_fds,
        )

    def check_alive(self):
        if self.proc.poll() is not None:
            raise Failure(f"{self.what} ended with exit code {self.proc.returncode} (see {self.logfile.name})")
        return True

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, signal.SIGKILL)
                self.proc.wait()
        try:
            os.killpg(self.proc.pid, signal.SIGKILL)  # anything it left in its group
        except ProcessLookupError:
            pass
        self.logfile.close()


def bus_call(method, signature, *args):
    """A call to the session bus itself; None when it refuses."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    try:
        reply = bus.call_sync(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
            GLib.Variant(signature, args), None, Gio.DBusCallFlags.NONE, 5000, None,
        )
    except GLib.Error:
        return None
    return reply.unpack()


def end_service(name):
    """Ends the process behind a service the session bus started on someone's request."""
    reply = bus_call("GetConnectionUnixProcessID", "(s)", name)
    if not reply:
        return
    pid = reply[0]
    os.kill(pid, signal.SIGTERM)
    try:
        wait_for(f"{name} to end", lambda: not bus_call("GetConnectionUnixProcessID", "(s)", name), 5)
    except Failure:
        os.kill(pid, signal.SIGKILL)


class _X11:
    """The few Xlib calls the run makes itself."""

    def __init__(self):
        x = ctypes.CDLL(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XCreateSimpleWindow.restype = ctypes.c_ulong
        x.XCreateSimpleWindow.argtypes = (
            [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        )
        x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XFlush.argtypes = [ctypes.c_void_p]
        self.lib = x


class Display:
    """An Xvfb of the given size. The run holds a connection to it throughout:
    the keys bound here stay bound, and the probe windows come from it."""

    def __init__(self, size, texts, folder):
        self.size = size
        self.width, self.height = (int(v) for v in size.split("x"))
        read, write = os.pipe()
        self.server = Helper(
            f"Xvfb {size}",
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{size}x24", "-nolisten", "tcp", "-noreset"],
            os.path.join(folder, f"xvfb-{size}.log"),
            pass_fds=(write,),
        )
        os.close(write)
        # Read up to its line's end: Xvfb dies when the pipe closes before that.
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        number = number.decode().strip()
        if not number:
            self.server.check_alive()
            raise Failure("Xvfb named no display")
        self.name = f":{number}"
        os.environ["DISPLAY"] = self.name  # every tool the run calls reads it
        # And what the session bus starts on request, such as KWin's shortcut service.
        bus_call("UpdateActivationEnvironment", "(a{ss})", {"DISPLAY": self.name})
        self.x = _X11().lib
        self.dpy = self.x.XOpenDisplay(self.name.encode())
        if not self.dpy:
            raise Failure(f"cannot open the display {self.name}")
        map_characters(texts)

    def manages(self, wm):
        """Whether the window manager takes a new window into its client list."""
        root = self.x.XDefaultRootWindow(self.dpy)
        probe = self.x.XCreateSimpleWindow(self.dpy, root, 0, 0, 40, 40, 0, 0, 0)
        self.x.XMapWindow(self.dpy, probe)
        self.x.XFlush(self.dpy)
        try:
            wait_for(f"{wm.what} to manage a window", lambda: wm.check_alive() and probe in client_list(), 20)
        finally:
            self.x.XDestroyWindow(self.dpy, probe)
            self.x.XFlush(self.dpy)
        wait_for(f"{wm.what} to forget its probe window", lambda: probe not in client_list(), 5)

    def stop(self):
        if self.dpy:
            self.x.XCloseDisplay(self.dpy)
            self.dpy = None
        self.server.stop()


def map_characters(texts):
    """Gives every character of texts that no key carries a key of its own.

    Left to itself, xdotool rebinds a spare key for each such character while
    typing, and under load the program may read a key before its new binding:
    characters go missing or repeat. Bound once, before anything starts,
    they type as plainly as letters."""
    table = output("xmodmap", "-pke")
    spare = []
    for line in table.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0] == "keycode":
            # Keys without symbols, or media keys no scenario presses.
            if all(sym == "NoSymbol" or sym.startswith("XF86") for sym in parts[3:]):
                spare.append(int(parts[1]))
    spare.sort(reverse=True)
    wanted = sorted({c for text in texts for c in text if not (c.isascii() and c.isprintable())})
    if len(wanted) > len(spare):
        raise Failure(f"{len(wanted)} characters to type, only {len(spare)} keys to bind them to")
    bindings = []
    for code, c in zip(spare, wanted):
        bindings += ["-e", f"keycode {code} = U{ord(c):04X} U{ord(c):04X}"]
    if bindings:
        subprocess.run(["xmodmap", *bindings], check=True)
    table = output("xmodmap", "-pke")
    unbound = [c for c in wanted if f" U{ord(c):04X}" not in table]
    if unbound:
        raise Failure(f"the keyboard did not take the characters {''.join(unbound)!r}")


class WindowManagerKind:
    def __init__(self, command, env=None, files=None, services=()):
        self.command = command
        self.env = env or {}
        self.files = files or {}  # written into its new XDG_CONFIG_HOME at every start
        self.services = services  # what the bus starts for it, ended with it


# Each started on its own, as the desktops start them, with a fresh configuration.
WINDOW_MANAGERS = {
    "openbox": WindowManagerKind(["openbox"]),
    "kwin": WindowManagerKind(
        ["kwin_x11", "--replace"], env={"KWIN_COMPOSE": "N"}, services=["org.kde.kglobalaccel"],
        files={"kwinrc": "[Desktops]\nNumber=2\n"},
    ),
    # KWin with its focus-stealing prevention at High.
    "kwin-high": WindowManagerKind(
        ["kwin_x11", "--replace"], env={"KWIN_COMPOSE": "N"}, services=["org.kde.kglobalaccel"],
        files={"kwinrc": "[Desktops]\nNumber=2\n[Windows]\nFocusStealingPreventionLevel=3\n"},
    ),
    "mutter": WindowManagerKind(["mutter", "--x11", "--replace", "--sm-disable"]),
}


def start_window_manager(name, display, folder):
    """Starts the window manager and waits until it manages windows."""
    kind = WINDOW_MANAGERS[name]
    n = 1
    while os.path.exists(os.path.join(folder, f"wm-{name}-{n}")):
        n += 1
    config = os.path.join(folder, f"wm-{name}-{n}")  # its configuration, new at every start
    os.makedirs(config)
    for file, text in kind.files.items():
        with open(os.path.join(config, file), "w") as f:
            f.write(text)
    wm = WindowManager(name, kind, config + ".log", dict(kind.env, XDG_CONFIG_HOME=config))
    try:
        display.manages(wm)
    except Exception:
        wm.stop()
        raise
    return wm


class WindowManager(Helper):
    def __init__(self, name, kind, logfile, env):
        super().__init__(name, kind.command, logfile, env)
        self.name, self.kind = name, kind

    def stop(self):
        super().stop()
        for service in self.kind.services:
            end_service(service)


def tray_area():
    """Where the notification area (trayer) is on the screen; None without one."""
    for wid in output("xdotool", "search", "--onlyvisible", "--class", "trayer").split():
        rect = geometry(wid)
        if rect and rect[2] and rect[3]:
            return rect
    return None


def start_tray(folder):
    """A notification area: trayer, an XEmbed tray, at the bottom right."""
    tray = Helper(
        "trayer",
        ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32"],
        os.path.join(folder, "trayer.log"),
    )
    try:
        wait_for("the notification area", lambda: tray.check_alive() and tray_area(), 10)
    except Exception:
        tray.stop()
        raise
    return tray


# --- the accessibility tree ---------------------------------------------------


def role(acc):
    return acc.get_role_name()


def children(acc):
    return [acc.get_child_at_index(i) for i in range(acc.get_child_count())]


def showing(acc):
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def state(acc, which):
    return acc.get_state_set().contains(which)


def enabled(acc):
    return state(acc, Atspi.StateType.ENABLED)


def focused(acc):
    return state(acc, Atspi.StateType.FOCUSED)


def extents(acc):
    e = Atspi.Component.get_extents(acc, Atspi.CoordType.SCREEN)
    return e.x, e.y, e.width, e.height


def text_of(acc):
    return Atspi.Text.get_text(acc, 0, Atspi.Text.get_character_count(acc))


def child_named(window, role_name, name):
    for c in children(window):
        if role(c) == role_name and c.get_name() == name:
            return c
    raise Failure(f"no {role_name} {name!r} in the main window")


# --- the program -----------------------------------------------------------------


class Program:
    """One run of the program, seen from outside. launch() only starts it;
    wait_up() waits until its main window is on the screen."""

    def __init__(self, executable, logfile, env=None, args=()):
        self.executable = executable
        self.folder = os.path.dirname(executable)
        env = {**os.environ, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_QPA_PLATFORM": "xcb", **(env or {})}
        env = {k: v for k, v in env.items() if v is not None}  # None: not set at all
        self.logfile = open(logfile, "ab")
        self.proc = subprocess.Popen(
            [executable, *args], cwd="/", env=env, stdin=subprocess.DEVNULL, stdout=self.logfile, stderr=self.logfile
        )
        self.pid = self.proc.pid
        self.app = self.window = None
        self._controls = None

    def wait_up(self):
        self.app = wait_for("the program on the accessibility bus", self._find_app, 20)
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.window = wait_for(f'the main window "{MAIN_TITLE}"', self._find_main, 20)
        self.wait_mapped()
        self.controls()  # while the clock still has its first tooltip
        return self

    def _find_app(self):
        if self.proc.poll() is not None:
            raise Failure(f"the program ended at start-up with exit code {self.proc.returncode}")
        for app in children(Atspi.get_desktop(0)):
            if app is not None and app.get_process_id() == self.pid:
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
        wait_for("the program's windows to be mapped", lambda: len(x_windows(self.pid)) >= 1 + len(self.boxes()), 10)

    def main_wid(self):
        """The main window's X window, while it is mapped."""
        return window_named(self.pid, MAIN_TITLE)

    def alive(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout):
        """The program's exit code once it has ended (negative: the signal)."""
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program still runs {timeout} s later")

    def quit(self):
        """Ends it as a user does, 退出 → 确定, and checks that it ended with 0."""
        click(self["Command7"], "退出")
        answer(self, "确定退出吗?", ["OK", "Cancel"])
        self.check_ended("退出 → 确定")

    def check_ended(self, after):
        try:
            code = self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program still runs 10 s after {after}")
        if code != 0:
            raise Failure(f"the program ended with exit code {code} after {after}")

    def kill(self):
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

    def button(self, caption):
        return child_named(self.window, "push button", caption)

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

    def check_main_back(self, after):
        wait_for(f"the main window to be shown after {after}", lambda: showing(self.window), 5)
        wait_for(f"the main window to take input after {after}", lambda: enabled(self["Command7"]), 5)
        if not self.alive():
            raise Failure(f"the program ended after {after}")


# --- what a user does ------------------------------------------------------------


def click(acc, what):
    x, y, w, h = extents(acc)
    if w <= 0 or h <= 0:
        raise Failure(f"{what} is not on the screen (extents {w}x{h})")
    xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")


def type_into(program, name, text):
    field = program[name]
    click(field, name)
    wait_for(f"{name} to take the focus", lambda: focused(field), 5)

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


def fill_time(program, when):
    h, m, s = when.split(":")
    type_into(program, "Text1", h)
    type_into(program, "Text2", m)
    type_into(program, "Text3", s)


def box_text(box):
    """The one text the box shows; None while it has not come up yet."""
    labels = [text_of(c) for c in children(box) if role(c) == "text" and showing(c) and text_of(c)]
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


def expect_box(program, text, buttons, timeout=10):
    """Waits for a new box with text and these buttons; returns it and its buttons by "OK"/"Cancel"."""
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


def press(program, box, button, what="the button"):
    program.wait_mapped()
    click(button, what)
    wait_for(f"the box to close after {what}", lambda: box not in program.boxes(), 5)


def answer(program, text, buttons, which="OK"):
    box, found = expect_box(program, text, buttons)
    press(program, box, found[which], f"the {which} button")


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


def arm_single(program, when, text):
    """Sets the single reminder as a user does: the time, the text, 确定, and
    both boxes answered. Returns the clock once the status says it runs."""
    fill_time(program, when)
    type_into(program, "Text4", text)
    click(program["Command5"], "确定")
    answer(program, CONFIRM, ["OK", "Cancel"])
    answer(program, "提醒任务已经开始", ["OK"])
    wait_label(program, "Label9", " 提醒任务已经开始。")
    return program.clock()


def show_schedule(program):
    """Ticks 多任务 for the full layout with the task lists."""
    click(program["Check1"], "多任务")
    wait_for("the full layout with the task lists", lambda: showing(program["List1"]) and showing(program["List2"]), 5)
    wait_for("添加任务 to be enabled", lambda: enabled(program["Command9"]), 5)
    program._controls = None  # positions changed with the layout


def add_task(program, when, text):
    """Types a task and adds it; returns once the lists have one row more."""
    before = len(program.rows("List1"))
    fill_time(program, when)
    type_into(program, "Text4", text)
    click(program["Command9"], "添加任务")
    wait_for(f"the task {when} in the lists", lambda: len(program.rows("List1")) == before + 1, 5)


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
            press(program, top, box_buttons(top)[BUTTON["OK"]], "the alert's 确定")
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


def context_menu(program, name):
    """Opens the context menu of a text field with a right click and returns
    its items' texts (without their shortcuts). Qt leaves popup menus out of
    the application's tree, so the menu is reached through the item that the
    Down key gives the focus to."""
    seen = []

    def on_focus(event):
        try:
            if event.detail1 and event.source.get_process_id() == program.pid:
                seen.append(event.source)
        except GLib.Error:
            pass

    listener = Atspi.EventListener.new(on_focus)
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


def tray_icon(program):
    """The program's icon window, embedded in the notification area."""
    area = tray_area()
    if area is None:
        return None
    ax, ay, aw, ah = area
    for wid, (x, y, w, h) in x_windows(program.pid).items():
        if ax <= x and x + w <= ax + aw and ay <= y and y + h <= ay + ah:
            return wid
    return None


class Terminal:
    """Another program's window, focused and being typed into: an xterm whose
    terminal passes every key on unchanged (raw, no echo) to a cat that writes
    it into a file, so received() tells exactly what reached it."""

    def __init__(self, folder, n, where="+0-0"):
        self.title = f"e2e-terminal-{n}"
        self.file = os.path.join(folder, f"{self.title}.typed")
        open(self.file, "wb").close()
        self.helper = Helper(
            "xterm",
            ["xterm", "-T", self.title, "-fn", "fixed", "-geometry", f"60x8{where}", "-xrm", "*allowTitleOps: false",
             "-e", "sh", "-c", f'stty raw -echo; echo ready > "{self.file}.ready"; exec cat > "{self.file}"'],
            os.path.join(folder, f"{self.title}.log"),
        )

        def up():
            self.helper.check_alive()
            ids = output("xdotool", "search", "--onlyvisible", "--name", f"^{self.title}$").split()
            return int(ids[0]) if ids and os.path.exists(self.file + ".ready") else None

        self.wid = wait_for("the terminal's window", up, 10)

    def rect(self):
        return geometry(self.wid)

    def focus(self):
        """A click into the terminal, as a user gives it the keyboard; waits until it is active."""
        x, y, w, h = self.rect()
        xdotool("mousemove", x + w // 2, y + h // 2, "click", "1")
        wait_for("the terminal to be the active window", lambda: active_window() == self.wid, 5)

    def type(self, text, delay=40):
        """Types into whatever has the keyboard focus, as a user typing on would."""
        xdotool("type", "--clearmodifiers", "--delay", delay, text)

    def received(self):
        with open(self.file, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def wait_received(self, text, timeout=5):
        try:
            wait_for(f"the terminal to receive {text!r}", lambda: self.received().endswith(text), timeout)
        except Failure:
            raise Failure(f"the terminal received {self.received()!r}, expected it to end with {text!r}")

    def stop(self):
        self.helper.stop()


class Weston:
    """Debian's weston, headless, with XWayland: a Wayland session without a screen."""

    def __init__(self, folder):
        self.socket = "quorvalent-e2e"
        self.logfile = os.path.join(folder, "weston.log")
        self.helper = None
        self.display = None

    def __enter__(self):
        for tool in ("weston", "Xwayland"):
            if not shutil.which(tool):
                raise Failure(f"{tool} is missing")
        self.helper = Helper(
            "weston",
            ["weston", "--backend=headless-backend.so", "--xwayland", f"--socket={self.socket}",
             "--idle-time=0", f"--log={self.logfile}"],
            self.logfile + ".out",
        )

        def listening():
            self.helper.check_alive()
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
        self.helper.stop()


# --- scenarios -----------------------------------------------------------------


class Scenario:
    def __init__(self, name, run, wm, tray, screen, texts, limit):
        self.name, self.run, self.wm, self.tray = name, run, wm, tray
        self.screen, self.texts, self.limit = screen, list(texts), limit
        self.doc = " ".join((run.__doc__ or "").split("\n\n")[0].split())  # its first paragraph


SCENARIOS = []


def scenario(name, wm="openbox", tray=False, screen="1280x1024", texts=(), limit=120):
    """Registers a scenario under name. wm: a key of WINDOW_MANAGERS, None for
    no window manager, or a tuple of keys for one case per window manager
    (named name-wm); tray: a notification area; screen: the Xvfb's size;
    texts: what it types beyond ASCII; limit: seconds it may take in all."""

    def register(run):
        for each in wm if isinstance(wm, tuple) else (wm,):
            if each is not None and each not in WINDOW_MANAGERS:
                raise ValueError(f"scenario {name}: no window manager {each!r}")
            full = f"{name}-{each}" if isinstance(wm, tuple) else name
            if any(s.name == full for s in SCENARIOS):
                raise ValueError(f"two scenarios named {full}")
            SCENARIOS.append(Scenario(full, run, each, tray, screen, texts, limit))
        return run

    return register


class Stage:
    """What a scenario runs on: a fresh folder with the program in it (folder),
    the display, window manager (wm, its name) and tray it asked for, and
    everything it starts through it, ended after it. Logs go to dir, beside
    the folders, so that a folder holds only what the program writes."""

    def __init__(self, name, source, work, screenshots, display, wm):
        self.name = name
        self.source = source  # the built program, copied once for the run
        self.dir = os.path.join(work, name)
        os.makedirs(self.dir)  # fails when it is not fresh
        self.screenshots = screenshots
        self.display = display
        self.wm = wm
        self.started = []
        self.programs = 0
        self.folder = self.new_folder("program")

    def new_folder(self, name):
        """A fresh folder of its own with the program in it."""
        folder = os.path.join(self.dir, name)
        os.makedirs(folder)
        target = os.path.join(folder, os.path.basename(self.source))
        try:
            os.link(self.source, target)  # the program finds its folder through this path
        except OSError:
            shutil.copy2(self.source, target)
        return folder

    def launch(self, folder=None, env=None, args=()):
        """Starts the program in folder (the stage's own by default) and returns at once."""
        folder = folder or self.folder
        self.programs += 1
        log(f"  starting the program in {folder}")
        executable = os.path.join(folder, os.path.basename(self.source))
        p = Program(executable, os.path.join(self.dir, f"program-{self.programs}.log"), env, args)
        self.started.append(p)
        return p

    def start(self, folder=None, env=None, args=()):
        """Starts the program and waits until its main window is on the screen,
        and its icon in the notification area when there is one."""
        p = self.launch(folder, env, args).wait_up()
        if tray_area():
            wait_for("the program's icon in the notification area", lambda: tray_icon(p), 10)
        return p

    def terminal(self, where="+0-0"):
        """An xterm (at where, an X geometry's position), focused by a click."""
        term = Terminal(self.dir, len(self.started) + 1, where)
        self.started.append(term)
        term.focus()
        return term

    def capture(self, label, rect):
        """A picture of part of the screen, kept as screenshots/e2e-label.png."""
        return screenshot(os.path.join(self.screenshots, f"e2e-{label}.png"), rect)

    def close(self):
        for thing in reversed(self.started):
            if isinstance(thing, Program):
                thing.kill()
            else:
                thing.stop()
        self.started = []
