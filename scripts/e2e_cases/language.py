"""Qt's own texts stay Chinese whatever the system's language."""

import re

from e2elib import BUTTON, Failure, click, expect_box, extents, has_icon, log, press, context_menu, scenario, type_into


@scenario("language")
def language(s):
    """under LANG=C and en_US.UTF-8 the text field's menu and the exit box's buttons are Chinese, without icons"""
    for lang in ("C", "en_US.UTF-8"):
        locale = {name: "" for name in ("LC_ALL", "LC_MESSAGES", "LANGUAGE")}
        p = s.start(env=dict(locale, LANG=lang))
        type_into(p, "Text4", "abc")  # an empty field's menu has no item to focus
        menu = context_menu(p, "Text4")
        log(f"  LANG={lang}: the text field's menu reads {menu!r}")
        english = [item for item in menu if not re.search(r"[\u4e00-\u9fff]", item)]
        if not menu or english:
            raise Failure(f"LANG={lang}: the text field's menu is not Chinese: {menu!r}")
        click(p["Command7"], "退出")
        box, found = expect_box(p, "确定退出吗?", ["OK", "Cancel"])
        for which, button in found.items():
            if has_icon(extents(button)):
                raise Failure(f"LANG={lang}: the {BUTTON[which]} button of the exit box carries an icon")
        log(f"  LANG={lang}: the exit box offers {BUTTON['OK']} and {BUTTON['Cancel']}, without icons")
        press(p, box, found["OK"], "确定")
        p.check_ended("退出 → 确定")
