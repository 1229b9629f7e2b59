"""The windows as a window manager and a notification area handle them."""

import os
import subprocess
import time

from e2elib import (
    BUTTON, HOVER, Failure, active_window, add_task, answer, arm_single, box_buttons, click, clock_text, enabled,
    expect_box, extents, focused, frame_extents, geometry, log, pixel, press, scenario, screen_rgb, seconds_of,
    show_schedule, showing, tray_icon, type_into, wait_for, wait_label, window_at, x_windows, xdotool,
)


def open_about(p):
    """A double-click on the bare surface left of the clock; returns the about window."""
    x, y, _, _ = extents(p.window)
    before = set(x_windows(p.pid))
    xdotool("mousemove", x + 5, y + 120, "click", "--repeat", "2", "--delay", "80", "1")
    wid = wait_for("the about window", lambda: next(iter(set(x_windows(p.pid)) - before), None), 5)
    wait_for("the main window to be disabled", lambda: not enabled(p["Command7"]), 5)
    return wid


def wm_close(wid):
    """The window manager's close (_NET_CLOSE_WINDOW), as its title bar's button sends."""
    subprocess.run(["wmctrl", "-i", "-c", hex(wid)], check=True)


@scenario("wm-closes", tray=True)
def wm_closes(s):
    """the about window closed with Alt+F4, the clock bar and two boxes with
    the window manager's close give the main window back"""
    p = s.start()
    about = open_about(p)
    xdotool("windowactivate", "--sync", about)
    xdotool("key", "--clearmodifiers", "alt+F4")
    wait_for("the about window to go", lambda: about not in x_windows(p.pid), 5)
    p.check_main_back("Alt+F4 on the about window")
    log("  Alt+F4 on the about window: it went, the main window is enabled")
    click(p.button("隐藏主窗口"), "隐藏主窗口")
    bar = wait_for("the clock bar", lambda: window_at(p.pid, (0, 0, 566, 24)), 5)
    wait_for("the main window to be hidden", lambda: not showing(p.window), 5)
    wm_close(bar)
    wait_for("the clock bar to go", lambda: bar not in x_windows(p.pid), 5)
    p.check_main_back("closing the clock bar")
    log("  the window manager's close on the clock bar: the main window is back")
    # Message boxes: closing one is a refusal, and the main window stays usable.
    for control, text, buttons in (
        ("退出", "确定退出吗?", ["OK", "Cancel"]),
        ("确定", "请输入具体时间，不然我无法提醒您", ["OK"]),
    ):
        before = set(x_windows(p.pid))
        click(p.button(control), control)
        box, _ = expect_box(p, text, buttons)
        wid = wait_for("the box's window", lambda: next(iter(set(x_windows(p.pid)) - before), None), 5)
        wm_close(wid)
        wait_for(f"the box {text!r} to close", lambda: box not in p.boxes(), 5)
        p.check_main_back(f"closing the box {text!r}")
        log(f"  the window manager's close on the box {text!r}: the program runs on, the main window takes input")


@scenario("about-border", tray=True)
def about_border(s):
    """the about window's grey border resizes it by a drag; a click on it is no click on the window"""
    p = s.start()
    about = open_about(p)
    ax, ay, aw, ah = geometry(about)
    shot = s.capture("about-window", (ax - 12, ay - 12, aw + 24, ah + 24))
    log(f"  the about window is {aw}x{ah} at {ax},{ay}: {shot}")
    # Its border, in the button face all round, outside the 444 x 214 picture area.
    if (aw, ah) != (444 + 8, 214 + 8):
        raise Failure(f"the about window is {aw}x{ah}, expected the client area 444x214 and a 4-pixel border")
    for px, py in ((ax + 2, ay + ah // 2), (ax + aw - 3, ay + ah // 2), (ax + aw // 2, ay + 2), (ax + aw // 2, ay + ah - 3)):
        colour = pixel(px, py)
        if colour == (0, 0, 128) or max(colour) - min(colour) > 24:
            raise Failure(f"the border at {px},{py} is {colour}, not a grey frame")
    # Dragging its right border widens it through the window manager.
    xdotool("mousemove", ax + aw - 2, ay + ah // 2, "mousedown", "1")
    # The first small movement starts the window manager's resize, from there on.
    for dx in (2, 20, 40, 62):
        xdotool("mousemove", ax + aw - 2 + dx, ay + ah // 2)
        time.sleep(0.1)
    xdotool("mouseup", "1")
    wait_for("the about window to be 60 pixels wider", lambda: (geometry(about) or (0, 0, 0))[2] >= aw + 55, 5)
    log(f"  dragging its right border made it {geometry(about)[2]} wide")
    # A click on the border is no click on the window; one in the picture is.
    xdotool("mousemove", ax + 1, ay + ah // 2, "click", "1")
    time.sleep(0.5)
    if about not in x_windows(p.pid):
        raise Failure("a click on the about window's border closed it")
    xdotool("mousemove", ax + 100, ay + 100, "click", "1")
    wait_for("the about window to go after a click on it", lambda: about not in x_windows(p.pid), 5)
    p.check_main_back("a click on the about window")
    log("  a click on the border left it open; a click on the picture closed it")


@scenario("tray-hover", tray=True)
def tray_hover(s):
    """minimised, the main window comes back when the pointer moves onto the tray icon"""
    p = s.start()
    main = p.main_wid()
    xdotool("mousemove", 5, 5)
    xdotool("windowminimize", main)
    wait_for("the minimised main window to be hidden", lambda: not showing(p.window), 5)
    wait_for("the minimised main window to be unmapped", lambda: main not in x_windows(p.pid), 5)
    ix, iy, iw, ih = geometry(tray_icon(p))
    log(f"  minimised: hidden; the icon is {iw}x{ih} at {ix},{iy}; moving the pointer onto it, no click")
    xdotool("mousemove", ix + iw // 2, iy + ih // 2)
    wait_for("the main window to come back from hovering over the icon", lambda: showing(p.window), 5)
    log("  the main window came back")


@scenario("running-frame", tray=True, texts=["开会"])
def running_frame(s):
    """while a single reminder runs, the clock has the hover frame on all four sides"""
    p = s.start()
    arm_single(p, clock_text(seconds_of(p.clock()) + 3600), "开会")
    xdotool("mousemove", s.display.width - 10, 5)  # off the window: no pointer movement over it
    time.sleep(0.5)
    x, y, w, h = extents(p["Label3"])
    shot = s.capture("running-frame", (x - 120, y - 30, w + 240, h + 60))
    log(f"  a single task runs: {shot}")
    for px, py in ((x - 2, y + h // 2), (x + w + 1, y + h // 2), (x + w // 2, y - 2), (x + w // 2, y + h + 1)):
        if pixel(px, py) != HOVER:
            raise Failure(f"no hover frame at {px},{py} round the clock: {pixel(px, py)}")
    log("  the frame shows on all four sides of the clock")
    click(p.button("取消"), "取消")
    answer(p, "已经取消！", ["OK"])
    wait_label(p, "Label9", " 没有提醒任务")


def check_outer_height(p, layout, twips):
    """The layouts set the outer height, the window manager's frame
    included, once that frame is on."""
    want = twips // 15

    def outer():
        main = p.main_wid()
        rect = geometry(main) if main else None
        frame = frame_extents(main) if main else None
        if rect is None or frame is None or frame[2] == 0:
            return None
        return rect[3] + frame[2] + frame[3]

    wait_for(f"the framed window in the {layout} layout", outer, 5)
    wait_for(f"an outer height of {want} px in the {layout} layout, not {outer()}", lambda: outer() == want, 5)
    log(f"  {layout} layout: {want} px high with the window manager's frame")


@scenario("activation", tray=True, texts=["喝水"])
def activation(s):
    """the layouts' outer heights include the frame; an alert given the
    activation by a click leaves the hover frame"""
    p = s.start()
    check_outer_height(p, "compact", 6810)
    show_schedule(p)
    check_outer_height(p, "full", 8970)
    due = clock_text(seconds_of(p.clock()) + 9)
    add_task(p, due, "喝水")
    click(p["Command18"], "开始执行")
    answer(p, "OK", ["OK"])
    # The alert, clicked, takes the activation while the hours field has the focus.
    click(p["Text1"], "Text1")
    wait_for("Text1 to take the focus", lambda: focused(p["Text1"]), 5)
    x, y, w, h = extents(p["Command7"])
    xdotool("mousemove", x + w // 2, y + h // 2)  # the frame round 退出, no click
    wait_for("the frame round 退出", lambda: pixel(x - 2, y + h // 2) == HOVER, 5)
    box = wait_for("the alert", lambda: (p.boxes() or [None])[-1], 30)
    bx, by, bw, _ = extents(box)
    xdotool("mousemove", bx + bw // 2, by + 12, "click", "1")
    wait_for("the alert to take the activation", lambda: active_window() not in (None, p.main_wid()), 5)
    time.sleep(0.5)
    if pixel(x - 2, y + h // 2) != HOVER:
        raise Failure("the hover frame went when the alert took the activation")
    log("  the alert took the activation; the frame round 退出 stayed")
    press(p, box, box_buttons(box)[BUTTON["OK"]], "the alert's 确定")
    p.quit()


def ink(rect):
    """The grey of the commonest colour of that part of the screen (a
    control's face), and how many of its pixels lie at least 100 grey levels
    from it (its text's strokes, which a text cursor alone cannot make up)."""
    greys = [(r * 11 + g * 16 + b * 5) // 32 for r, g, b in screen_rgb(rect)]
    face = max(set(greys), key=greys.count)
    return face, sum(abs(g - face) >= 100 for g in greys)


@scenario("dark-desktop", texts=["开会"])
def dark_desktop(s):
    """under a dark colour scheme (qt6ct's darker) every text of the main
    window and the clock bar reads: on the olive surface, on the pale green
    faces, in the field being typed into"""
    config = os.path.join(s.dir, "config")
    os.makedirs(os.path.join(config, "qt6ct"))
    with open(os.path.join(config, "qt6ct", "qt6ct.conf"), "w") as f:
        f.write("[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\n"
                "style=Fusion\n")
    p = s.start(env={"XDG_CONFIG_HOME": config, "QT_QPA_PLATFORMTHEME": "qt6ct"})

    def check(what, rect):
        x, y, w, h = rect
        face, strokes = ink((x + 3, y + 3, w - 6, h - 6))
        log(f"  {what}: {strokes} pixels stand out from its face (grey {face})")
        if strokes < 30:
            s.capture("dark-desktop", rect)
            raise Failure(f"{what} cannot be read on a dark desktop: {strokes} pixels stand out from its face")

    x, y, w, h = extents(p["Command7"])
    if ink((x + 3, y + 3, w - 6, h - 6))[0] > 100:
        raise Failure("the dark scheme did not reach the program: 退出 has a light face")
    type_into(p, "Text4", "开会开会开会")  # focused, it takes the desktop's dark field
    check("the field being typed into", extents(p["Text4"]))
    check("the status label", extents(p["Label9"]))
    x, y, w, h = extents(p["Check2"])
    check("the check box's caption", (x + 20, y, w - 20, h))
    x, y, _, _ = extents(p["Text4"])
    check("a label on the olive surface", (x - 152, y, 140, 17))  # 请输入要提醒您的事情, left of Text4
    click(p.button("隐藏主窗口"), "隐藏主窗口")
    wait_for("the clock bar", lambda: window_at(p.pid, (0, 0, 566, 24)), 5)
    wait_for("the main window to be hidden", lambda: not showing(p.window), 5)
    check("the clock bar's 显示主窗体", (248, 0, 97, 24))
    check("the clock bar's caption", (360, 0, 106, 17))
    xdotool("mousemove", 296, 12, "click", "1")
    p.check_main_back("显示主窗体")
    p.quit()
