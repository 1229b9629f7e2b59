"""The alerts interrupt a user who works in another program: they stay on top
until answered, and only an answer given on purpose closes them."""

import re
import subprocess
import time

from e2elib import (
    BUTTON, CONFIRM, Atspi, Failure, above, active_window, add_task, answer, arm_single, box_buttons, box_text, click,
    clock_text, extents, fill_time, frame_extents, geometry, log, no_box_for, press, scenario, seconds_of,
    output, show_schedule, stacking, text_of, wait_for, wait_label, wait_rows, x_windows, xdotool,
)

WMS = ("openbox", "kwin", "kwin-high", "mutter")
SINGLE = "下午三点给妈妈打电话"
TASK = "喝水"
LONG = "长" * 4999 + "完"  # as pasted, ending where the whole text must show


def box_window(p, before):
    """The X window of the one box that came up since before (the windows then)."""
    return wait_for("the box's window", lambda: next(iter(set(x_windows(p.pid)) - before), None), 10)


def type_until(term, done, limit):
    """Types on into the terminal, words, blanks and Return, as a user does
    who has not looked up yet, until done() holds; returns what was typed."""
    typed = ""
    end = time.monotonic() + limit
    while not done():
        if time.monotonic() > end:
            raise Failure(f"nothing came within {limit} s of typing")
        term.type("ok ")
        xdotool("key", "--clearmodifiers", "Return", "space")
        typed += "ok \r "
    return typed


def check_received(term, typed):
    """Every key typed reached the terminal, in order."""
    try:
        wait_for("the terminal to receive every key", lambda: term.received() == typed, 5)
    except Failure:
        got = term.received()
        raise Failure(f"the terminal received {len(got)} of the {len(typed)} keys typed to it, ending {got[-24:]!r}")


def desktop(wid=None):
    """The desktop the user is on, or the one a window is on (all: 0xFFFFFFFF)."""
    out = output("xprop", *(["-id", wid] if wid else ["-root"]), "_NET_WM_DESKTOP" if wid else "_NET_CURRENT_DESKTOP")
    found = re.findall(r"= (\d+)", out)
    return int(found[0]) if found else None


def to_desktop(n, term):
    """The user goes over to desktop n and takes the terminal along."""
    subprocess.run(["wmctrl", "-i", "-r", hex(term.wid), "-t", str(n)], check=True)
    subprocess.run(["wmctrl", "-s", str(n)], check=True)
    wait_for(f"desktop {n + 1}", lambda: desktop() == n, 5)


def interrupted(p, term, come, what, answered):
    """The alert comes while the user types in another program. It comes up on
    top, takes none of the keys, and stays on top after a click into that
    program; returns the alert's accessible box and its X window."""
    term.focus()
    before = set(x_windows(p.pid))
    typed = term.received() + type_until(term, lambda: p.boxes() or answered(), come + 15)
    if not p.boxes():
        raise Failure(f"the {what} was answered by the typing before it could be seen")
    box = p.boxes()[-1]
    wid = box_window(p, before)
    # The user goes on typing for a moment before looking up.
    for _ in range(3):
        term.type("ok ")
        xdotool("key", "--clearmodifiers", "Return", "space", "Escape")
        typed += "ok \r \x1b"
    check_received(term, typed)
    if box not in p.boxes():
        raise Failure(f"the {what} was answered by keys typed into the terminal")
    if active_window() != term.wid:
        raise Failure(f"the {what} took the activation from the terminal (active: {active_window()})")
    if desktop(wid) not in (desktop(), 0xFFFFFFFF):
        raise Failure(f"the {what} came up on desktop {desktop(wid)}; the user is on desktop {desktop()}")
    if not above(wid, term.wid):
        raise Failure(f"the {what} is not above the terminal: {stacking()} (alert {wid}, terminal {term.wid})")
    log(f"  the {what} is up, above the terminal, which kept the keyboard and received all {len(typed)} keys")
    term.focus()
    term.type("ok ")
    check_received(term, typed + "ok ")
    time.sleep(0.3)  # a window manager may restack a moment after the click
    if not above(wid, term.wid):
        raise Failure(f"a click into the terminal put the {what} below it: {stacking()}")
    if box not in p.boxes():
        raise Failure(f"a click into the terminal answered the {what}")
    log(f"  after a click into the terminal the {what} is still open and above it")
    return box, wid


def no_keys_to_main(p, term, what):
    """After the answer the user types on: nothing of it reaches the main window."""
    main = p.main_wid()
    if main is not None and active_window() == main:
        raise Failure(f"the main window has the keyboard once the {what} is answered")
    xdotool("key", "--clearmodifiers", "space", "Return", "space")
    no_box_for(p, 1.0)


@scenario("alert-elsewhere", wm=WMS, tray=True, texts=[SINGLE, TASK])
def alert_elsewhere(s):
    """a single alert with the main window behind the clock bar and a schedule
    alert with it in the tray come over a terminal being typed into: on top,
    deaf to its keys and clicks, answered by 确定 and by Enter"""
    p = s.start()
    target = clock_text(seconds_of(p.clock()) + 12)
    armed = arm_single(p, target, SINGLE)
    click(p.button("隐藏主窗口"), "隐藏主窗口")
    wait_for("the main window to be hidden", lambda: p.main_wid() is None, 5)
    term = s.terminal()
    to_desktop(1, term)  # away from the main window and the clock bar, at work elsewhere
    box, wid = interrupted(
        p, term, seconds_of(target) - seconds_of(armed), "single alert",
        lambda: p["Label9"].get_name() != " 提醒任务已经开始。",
    )
    if box_text(box) != "我要提醒您:" + SINGLE:
        raise Failure(f"the alert reads {box_text(box)!r}")
    press(p, box, box_buttons(box)[BUTTON["OK"]], "the alert's 确定")
    wait_label(p, "Label9", " 没有任何提醒任务")

    no_keys_to_main(p, term, "single alert")
    log("  确定 answered it; the keys typed after it reached no window of the program")

    # Shown again where the user is.
    p.wait_mapped()
    if desktop(p.main_wid()) != desktop():
        raise Failure(f"after the alert the main window is on desktop {desktop(p.main_wid())}, the user on {desktop()}")

    # The schedule, with the main window minimised to the tray.
    show_schedule(p)
    due = clock_text(seconds_of(p.clock()) + 12)
    add_task(p, due, TASK)
    click(p["Command18"], "开始执行")
    answer(p, "OK", ["OK"])
    started = p.clock()
    xdotool("windowminimize", p.main_wid())
    wait_for("the minimised main window to be unmapped", lambda: p.main_wid() is None, 5)
    box, wid = interrupted(
        p, term, seconds_of(due) - seconds_of(started), "schedule alert", lambda: not p.rows("List1")
    )
    # On purpose: a click on the alert's text gives it the keyboard, Enter answers.
    x, y, w, h = geometry(wid)
    xdotool("mousemove", x + w // 2, y + h // 3, "click", "1")
    wait_for("the alert to take the keyboard", lambda: active_window() == wid, 5)
    xdotool("key", "Return")
    wait_for("Enter to answer the alert", lambda: box not in p.boxes(), 5)
    wait_rows(p, [], [])
    no_keys_to_main(p, term, "schedule alert")
    log("  a click on it and Enter answered it; the task is gone")


@scenario("alert-long", texts=[LONG])
def alert_long(s):
    """a pasted reminder text of 5,000 characters: its alert lies inside the
    screen, the text scrolls in it, and its 确定 answers it"""
    p = s.start()
    target = clock_text(seconds_of(p.clock()) + 8)
    fill_time(p, target)
    # Put in whole, as a paste from another program does.
    Atspi.EditableText.set_text_contents(p["Text4"], LONG)
    wait_for("the long text in Text4", lambda: text_of(p["Text4"]) == LONG, 5)
    click(p["Command5"], "确定")
    answer(p, CONFIRM, ["OK", "Cancel"])
    answer(p, "提醒任务已经开始", ["OK"])
    before = set(x_windows(p.pid))
    box = wait_for("the alert", lambda: (p.boxes() or [None])[-1], 20)
    if box_text(box) != "我要提醒您:" + LONG:
        raise Failure(f"the alert shows {len(box_text(box) or '')} characters, not the whole text")
    wid = box_window(p, before)
    x, y, w, h = geometry(wid)
    left, right, top, bottom = frame_extents(wid) or (0, 0, 0, 0)
    outer = (x - left, y - top, w + left + right, h + top + bottom)
    shot = s.capture("alert-long", outer)
    log(f"  the alert is {outer[2]}x{outer[3]} at {outer[0]},{outer[1]} with its frame: {shot}")
    sw, sh = s.display.width, s.display.height
    if outer[0] < 0 or outer[1] < 0 or outer[0] + outer[2] > sw or outer[1] + outer[3] > sh:
        raise Failure(f"the alert, {outer}, does not lie inside the {sw}x{sh} screen")
    ok = box_buttons(box)[BUTTON["OK"]]
    bx, by, bw, bh = extents(ok)
    if bx < 0 or by < 0 or bx + bw > sw or by + bh > sh:
        raise Failure(f"its 确定 at {bx},{by} ({bw}x{bh}) is off the {sw}x{sh} screen")
    press(p, box, ok, "the alert's 确定")
    wait_label(p, "Label9", " 没有任何提醒任务")
    log("  it lies inside the screen; its 确定 answered it")
