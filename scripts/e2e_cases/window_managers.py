"""Each window manager the scenarios may ask for starts here and manages the program."""

from e2elib import (
    Failure, above, active_window, extents, geometry, log, scenario, show_schedule, showing, stacking, wait_for,
)


@scenario("managed", wm=("openbox", "kwin", "mutter"))
def managed(s):
    """the main window comes up managed, takes a click, and is raised and
    activated over a terminal being typed into"""
    p = s.start()
    main = p.main_wid()
    wait_for(f"the main window among {s.wm}'s windows", lambda: main in stacking(), 5)
    # The program sets its height again once the frame is known: they agree once it has.
    try:
        rect = wait_for("X and the program to agree", lambda: geometry(main) == extents(p.window) and geometry(main), 5)
    except Failure:
        raise Failure(f"the main window is at {geometry(main)} for X, at {extents(p.window)} for the program")
    log(f"  {s.wm}: the main window is managed, {rect[2]}x{rect[3]} at {rect[0]},{rect[1]}")
    term = s.terminal()
    term.type("typed 1 ")
    term.wait_received("typed 1 ")
    if not above(term.wid, main):
        raise Failure(f"the terminal, active, is not above the main window: {stacking()} (terminal {term.wid})")
    log(f"  the terminal is above the main window, active, and received {term.received()!r}")
    show_schedule(p)  # a click on 多任务
    wait_for("the main window to be activated by the click", lambda: active_window() == main, 5)
    wait_for("the main window to be raised by the click", lambda: above(main, term.wid), 5)
    if not showing(p["List1"]):
        raise Failure("the click on 多任务 did not show the task lists")
    log("  a click on 多任务 raised and activated the main window and showed the lists")
    term.focus()
    if not above(term.wid, main):
        raise Failure("a click into the terminal did not raise it")
    term.type("typed 2")
    term.wait_received("typed 1 typed 2")
    log("  a click back into the terminal: it is active again and gets the keys")
    p.quit()
