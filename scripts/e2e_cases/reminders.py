"""The two ways to be reminded: the single reminder and the schedule."""

import os

from e2elib import (
    MAIN_TITLE, TASK_PREFIX, Failure, add_task, ahead, answer, arm_single, catch_alerts, check_on_time, clock_text,
    click, log, no_box_for, scenario, seconds_of, show_schedule, wait_label, wait_rows, wall_clock,
)

SINGLE_TEXT = "单个提醒：给妈妈打电话"
DUE_TEXTS = ("第一件：开会", "第二件：喝水")
FAR_TEXT = "远处的任务：写周报"


@scenario("single", texts=[SINGLE_TEXT])
def single(s):
    """the clock tells the time; a single reminder alerts its text in its second"""
    p = s.start()
    clock = p.clock()
    if abs(ahead(clock, wall_clock())) > 2:
        raise Failure(f"the clock shows {clock}, the system time is {wall_clock()}")
    log(f'  main window "{MAIN_TITLE}" is up; the clock reads {clock}')
    target = clock_text(seconds_of(clock) + 9)
    log(f"  single reminder at {target}: {SINGLE_TEXT!r}")
    armed = arm_single(p, target, SINGLE_TEXT)
    if ahead(target, armed) <= 0:
        raise Failure(f"too slow: the reminder for {target} was only started at {armed}")
    log(f"  started at {armed}; waiting for the alert")
    seen = catch_alerts(p, target, ["我要提醒您:" + SINGLE_TEXT], ahead(target, armed) + 10)
    log(f"  the alert read right, {check_on_time(seen, target)}")
    wait_label(p, "Label9", " 没有任何提醒任务")
    log('  Label9 reads " 没有任何提醒任务"')


@scenario("schedule", texts=[*DUE_TEXTS, FAR_TEXT])
def schedule(s):
    """two tasks due together alert in list order and go; the far one is saved and read again"""
    p = s.start()
    now = seconds_of(p.clock())
    due = clock_text(now + 16)
    far = clock_text(now + 2 * 3600)
    tasks = [(due, DUE_TEXTS[0]), (far, FAR_TEXT), (due, DUE_TEXTS[1])]
    show_schedule(p)
    for n, (when, text) in enumerate(tasks, 1):
        add_task(p, when, text)
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
    wait_rows(p, [far], [TASK_PREFIX + FAR_TEXT])
    log(f"  the lists hold only the far task {far}")

    p.quit()
    log("  the program ended with exit code 0")
    files = {}
    for name in ("Task.sts", "Time.stt", "Quorvalent.ini"):
        path = os.path.join(s.folder, name)
        if not os.path.isfile(path):
            raise Failure(f"{name} was not saved beside the program in {s.folder}")
        with open(path, "rb") as f:
            files[name] = f.read()
    for name, line in {"Time.stt": far, "Task.sts": TASK_PREFIX + FAR_TEXT}.items():
        got = files[name].decode("gb18030")
        if got != line + "\r\n":
            raise Failure(f"{name} holds {got!r}, expected {line + chr(13) + chr(10)!r}")
    log("  Task.sts, Time.stt and Quorvalent.ini saved; the schedule files hold the far task")

    p = s.start()
    show_schedule(p)
    wait_rows(p, [far], [TASK_PREFIX + FAR_TEXT])
    log(f"  after the restart the lists show {far} / {TASK_PREFIX + FAR_TEXT!r}")
    p.quit()
    log("  ended again with exit code 0")
