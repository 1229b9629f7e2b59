"""The choice of backend on a Wayland session."""

from e2elib import MAIN_TITLE, Failure, Weston, free_display, log, output, scenario, wait_for

def backend_of(s, env, args, xdisplay):
    """Starts the program and tells on which backend its main window came up:
    "x11" when X11 tools find it on XWayland's display, "wayland" when it
    gave a Wayland toplevel its title (WAYLAND_DEBUG shows the requests)."""
    p = s.launch(env=dict(env, WAYLAND_DEBUG="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON=None), args=args)
    logfile = p.logfile.name

    def came_up():
        if not p.alive():
            return f"nothing: it ended at start-up with exit code {p.proc.returncode} (see {logfile})"
        found = output("env", f"DISPLAY={xdisplay}", "xdotool", "search", "--all", "--pid", p.pid, "--name", f"^{MAIN_TITLE}$")
        if found.split():
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
        p.proc.terminate()
        p.wait_exit(10)

@scenario("wayland", wm=None)
def wayland(s):
    """on a Wayland session the program takes XWayland when it can, Wayland
    when no X server answers or when asked"""
    with Weston(s.dir) as weston:
        log(f"  weston runs headless: Wayland {weston.socket}, XWayland on {weston.display}")
        session = {"WAYLAND_DISPLAY": weston.socket, "XDG_SESSION_TYPE": "wayland", "QT_QPA_PLATFORM": None}
        cases = [
            ("a Wayland session with XWayland", dict(session, DISPLAY=weston.display), [], "x11"),
            ("QT_QPA_PLATFORM=wayland", dict(session, DISPLAY=weston.display, QT_QPA_PLATFORM="wayland"), [], "wayland"),
            ("-platform wayland", dict(session, DISPLAY=weston.display), ["-platform", "wayland"], "wayland"),
            ("no DISPLAY", dict(session, DISPLAY=None), [], "wayland"),
            ("a DISPLAY where no X server answers", dict(session, DISPLAY=":" + str(free_display())), [], "wayland"),
        ]
        for what, env, args, want in cases:
            got = backend_of(s, env, args, weston.display)
            if got != want:
                raise Failure(f"with {what} the program came up on {got}, expected {want}")
            log(f"  with {what}: the main window is on {want}")
