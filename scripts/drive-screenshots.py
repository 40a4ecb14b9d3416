#!/usr/bin/python3
"""Drives the running program through AT-SPI: finds controls by role and
accessible name, clicks them where the accessibility interface says they
are (xdotool), and saves screenshots of single windows with their title
bars (ImageMagick import). Fails when a control has no accessible name or
an expected one cannot be found.

    drive-screenshots.py OUTPUT_FOLDER [PHASE]   (run by scripts/screenshots)

PHASE "cards" (the default, with the server's scenario unlock): the main
window, the four card grids, the settings dialogs, the about box, the
invoice-check pages, the five query windows, then a copy-tax run to its
clear-unlock, the next report on the unlocked card, and clearing the
card's history. PHASE "declare" (scenario declare-12): the report accepted
with a request to declare, the server's prompt, the three amount inputs
(untouched, refused, typed), the tax, the payment and the clear-unlock.

The user manual (app/help/zelORV.html) shows pictures by the names saved
here (scripts/screenshots --manual copies them into app/help/zelORV.files).
A window that is added to the program gets its part below, and its picture
a name the manual can use.
"""
import os
import subprocess
import sys
import time

import pyatspi

OUT = sys.argv[1]
PHASE = sys.argv[2] if len(sys.argv) > 2 else "cards"
NAMED_ROLES = {"push button", "menu item", "menu", "toggle button", "text", "check box",
               "radio button", "combo box", "page tab", "spin button"}
problems = []


def walk(acc):
    yield acc
    for i in range(acc.childCount):
        child = acc.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def find(root, role, name, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            for a in walk(root):
                if a.getRoleName() == role and a.name == name and showing(a):
                    return a
        except Exception:
            pass  # the tree changed while it was read
        time.sleep(0.2)
    seen = sorted({(a.getRoleName(), a.name) for a in walk(root) if showing(a) and a.name})
    raise SystemExit(f"drive: no {role} named {name!r}; showing: {seen[:80]}")


def showing(a):
    return a.getState().contains(pyatspi.STATE_SHOWING)


def application(timeout=60.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "orvane":
                for w in app:
                    if w is not None and w.name.startswith("Orvane"):
                        return app
        time.sleep(0.5)
    raise SystemExit("drive: the program did not come up")


def click(a):
    e = a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(e.x + e.width // 2), str(e.y + e.height // 2),
                    "click", "1"], check=True)


MAIN = "^Orvane   "  # the main window's caption, as a pattern
WIZARD = "^导航$"


def window_id(title, timeout=20.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                               capture_output=True, text=True).stdout.split()
        if found:
            return found[-1]
        time.sleep(0.2)
    raise SystemExit(f"drive: no window titled {title!r}")


def shot(name, title=MAIN):
    """Saves the window whose caption matches `title`, frame and all."""
    # The pointer out of the way, so that no button shows its hover look.
    subprocess.run(["xdotool", "mousemove", "1279", "799"], check=True)
    time.sleep(0.6)  # let the window paint
    subprocess.run(["import", "-frame", "-window", window_id(title), f"{OUT}/{name}.png"],
                   check=True)


def enabled(a, timeout=20.0):
    """Waits until the control can be used (a query's 导出 once it has rows)."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if a.getState().contains(pyatspi.STATE_ENABLED):
            return
        time.sleep(0.2)
    raise SystemExit(f"drive: {a.name!r} stayed disabled")


def key(*keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], check=True)


def type_into(field, text):
    click(field)
    key("ctrl+a")
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)


def answer(app, caption, picture=None):
    """Waits for the message box with this caption, saves it, presses its button."""
    box = dialog(app, caption)
    if picture:
        shot(picture, f"^{caption}$")
    buttons = [a for a in walk(box) if a.getRoleName() == "push button" and showing(a)]
    click(buttons[0])
    dialog(app, caption, present=False)


def menu_item(main, app, menu, item):
    click(find(main, "menu item", menu))
    click(find(app, "menu item", item))


def open_window(main, app, item, caption, picture):
    """Opens a window through its menu item, saves it, checks its names."""
    menu_item(main, app, *item)
    window = dialog(app, caption)
    shot(picture, f"^{caption}$")
    check_names(window, caption)
    return window


def close_window(app, window, button):
    caption = window.name
    click(find(window, "push button", button))
    dialog(app, caption, present=False)


def check_names(root, where):
    for a in walk(root):
        if a.getRoleName() in NAMED_ROLES and showing(a) and not a.name.strip():
            problems.append(f"{where}: a {a.getRoleName()} without an accessible name")


def frame_extents(title):
    """Left, right, top and bottom of the window manager's frame around the window."""
    out = subprocess.run(["xprop", "-id", window_id(title), "_NET_FRAME_EXTENTS"],
                         capture_output=True, text=True).stdout
    numbers = [int(n) for n in out.split("=")[-1].split(",")] if "=" in out else []
    return numbers if len(numbers) == 4 else [0, 0, 0, 0]


def shot_region(name, window, title, height_share=1.0):
    """Saves the screen where the window and its frame are, with what pops up
    over it (menus, calendars), the top `height_share` of it."""
    subprocess.run(["xdotool", "mousemove", "1279", "799"], check=True)
    time.sleep(0.6)
    left, right, top, _ = frame_extents(title)
    e = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    geometry = "%dx%d+%d+%d" % (e.width + left + right, int(e.height * height_share) + top,
                                max(e.x - left, 0), max(e.y - top, 0))
    subprocess.run(["import", "-window", "root", "-crop", geometry, f"{OUT}/{name}.png"],
                   check=True)


def close_notice(app, timeout=15.0):
    """The update check's notice window slides in over the main window's
    corner: read it (its picture for the manual) and close it by a click on
    its text, as a user would."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = [w for w in app if w is not None and w.name == "ZEL 消息" and showing(w)]
        if found:
            time.sleep(1.5)  # until it has slid in
            shot("notice", "^ZEL 消息$")
            check_names(found[0], "notice window")
            click(find(found[0], "label", "消息内容"))
            dialog(app, "ZEL 消息", present=False)
            return
        time.sleep(0.3)


def dialog(app, name, present=True, timeout=30.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = [w for w in app if w is not None and w.name == name and showing(w)]
        if bool(found) == present:
            return found[0] if found else None
        time.sleep(0.2)
    raise SystemExit(f"drive: the window {name!r} did not {'open' if present else 'close'}")


def tips(wizard, start, timeout=60.0):
    """Waits until the wizard's progress text begins with `start`."""
    deadline = time.time() + timeout
    seen = ""
    while time.time() < deadline:
        try:
            for a in walk(wizard):
                if a.getRoleName() == "label" and a.name.startswith(start):
                    return a
                if a.getRoleName() == "label" and a.name:
                    seen = a.name
        except Exception:
            pass
        time.sleep(0.2)
    raise SystemExit(f"drive: the wizard did not show {start!r} (last seen {seen!r})")


def operation(app, main, menu, item):
    click(find(main, "menu item", menu))
    click(find(app, "menu item", item))
    return dialog(app, "导航")


def ok(wizard):
    click(find(wizard, "push button", "确定"))


def leave(app, wizard):
    click(find(wizard, "push button", "取消"))
    dialog(app, "导航", present=False)


def copy_tax_runs(app, main):
    wizard = operation(app, main, "报缴税", "抄报税")
    shot("copytax-start", WIZARD)
    ok(wizard)
    tips(wizard, "清零解锁成功")
    shot("copytax-unlocked", WIZARD)
    check_names(wizard, "wizard after clear-unlock")
    leave(app, wizard)

    wizard = operation(app, main, "报缴税", "抄报税")
    ok(wizard)
    tips(wizard, "该卡已经清零解锁")
    shot("copytax-already-unlocked", WIZARD)
    leave(app, wizard)

    wizard = operation(app, main, "卡信息", "清除卡内历史数据")
    ok(wizard)
    tips(wizard, "清除历史数据成功")
    shot("clear-history", WIZARD)
    leave(app, wizard)


def declaration_run(app, main):
    wizard = operation(app, main, "报缴税", "申报缴税")
    ok(wizard)
    tips(wizard, "抄报税成功，请继续申报缴税")
    shot("declare-report-accepted", WIZARD)
    ok(wizard)
    tips(wizard, "请输入本期发生额")
    shot("declare-prompt", WIZARD)
    ok(wizard)
    tips(wizard, "其他销售收入")
    shot("declare-amounts", WIZARD)
    check_names(wizard, "wizard with the amount inputs")
    type_into(find(wizard, "text", "本期发生额："), "12.345")
    ok(wizard)
    box = dialog(app, "错误")
    shot("declare-amount-refused", "^错误$")
    # Its one button reads "OK" or "确定", by the translations in use.
    click(next(a for a in walk(box) if a.getRoleName() == "push button"))
    dialog(app, "错误", present=False)
    for name, amount in (("本期发生额：", "1000"), ("应税货物销售额：", "20.5"),
                         ("应税服务销售额：", "0.01")):
        type_into(find(wizard, "text", name), amount)
    shot("declare-amounts-typed", WIZARD)
    ok(wizard)
    tips(wizard, "应纳税额56.78元")
    shot("declare-tax", WIZARD)
    ok(wizard)
    tips(wizard, "清零解锁成功")
    shot("declare-unlocked", WIZARD)
    leave(app, wizard)


def seed_records(path):
    """Records for the query windows to show, as the program stores them: a
    report refused, and a clear-unlock stopped by another card in the reader
    (its result shows as 未知), beside successful ones."""
    import random
    import sqlite3
    rnd = random.Random(7)
    name = "北京市海淀区示例商贸有限公司"
    hexs = lambda n: "".join(rnd.choice("0123456789ABCDEF") for _ in range(n))
    db = sqlite3.connect(path)
    for i, (day, jg1, jg2, jg3) in enumerate([("2012-03-02", 1, 0, 0), ("2012-04-02", 1, 1, 1),
                                              ("2012-04-03", 2, 0, 0), ("2012-05-04", 0, 1, 5)]):
        db.execute("insert into sbjs (nsrbm, nsrmc, jyrq, jylsh, jg1, jg2, jg3, skqsrq, skjzrq, je)"
                   " values (?,?,?,?,?,?,?,?,?,?)",
                   ("1101082012345678", name, day, "%016d" % (i + 1), jg1, jg2, jg3,
                    "2012-03-01", "2012-03-31", 1234.56 * (i + 1)))
        for m in range(2):
            amounts = [rnd.randrange(0, 500000) / 100 for _ in range(14)]
            db.execute("insert into ef04 (hzbz, skkbh, sjqsrq, sjjzrq, zcfpfs, tpfs, fpfs, szsm,"
                       " zcfpje1, zcfpje2, zcfpje3, zcfpje4, zcfpje5, zcfpje6, tpje1, tpje2, tpje3,"
                       " tpje4, tpje5, tpje6, zcfpzje, tpzje, ztz, mac, sign1, sign2, cbid, nsrmc)"
                       " values (" + ",".join("?" * 28) + ")",
                       ["01", "770100000000000%d" % m, "2012-03-01", "2012-03-31", 120, 2, 1,
                        "010203040506"] + amounts + ["00", hexs(8), hexs(128), hexs(128),
                                                     i + 1, name])
            for k in range(3):
                db.execute("insert into ef06 (skjbh, fpdm, fpqsh, fpzzh, zcfpfs, tpfs, fpfs,"
                           " zcfpzje, tpzje, kpqssj, kpjzsj, cbid, nsrmc)"
                           " values (?,?,?,?,?,?,?,?,?,?,?,?,?)",
                           ("499000000000000%d" % m, "111001120%02d" % k, 123 + 100 * k,
                            222 + 100 * k, 95, 3, 2, 5678.9, 12.3, "2012-03-0%d" % (k + 1),
                            "2012-03-2%d" % k, i + 1, name))
            for d in range(1, 32):
                amounts = [rnd.randrange(0, 50000) / 100 for _ in range(12)]
                db.execute("insert into ef09 (skjbh, kprq, zcfpfs, tpfs, fpfs, szsm, zcfpje1,"
                           " zcfpje2, zcfpje3, zcfpje4, zcfpje5, zcfpje6, tpje1, tpje2, tpje3,"
                           " tpje4, tpje5, tpje6, sign1, sign2, cbid, nsrmc)"
                           " values (" + ",".join("?" * 22) + ")",
                           ["499000000000000%d" % m, "2012-03-%02d" % d, rnd.randrange(1, 40),
                            rnd.randrange(0, 3), rnd.randrange(0, 3), "010203040506"] + amounts
                           + [hexs(128), hexs(128), i + 1, name])
    db.commit()
    db.close()


def finish(app, main):
    """Ends the program through its 退出 item, and says what was wrong."""
    click(find(main, "menu item", "报缴税"))
    click(find(app, "menu item", "退出"))
    for p in problems:
        print("drive:", p, file=sys.stderr)
    sys.exit(1 if problems else 0)


app = application()
main = next(w for w in app if w.name.startswith("Orvane"))
close_notice(app)

if PHASE == "declare":
    declaration_run(app, main)
    finish(app, main)

shot("main")
check_names(main, "main window")

card_items = [("基本信息", "grid-basic"), ("申报汇总数据", "grid-summary"),
              ("发票使用信息", "grid-invoices"), ("日交易记录", "grid-daily")]
for i, (item, picture) in enumerate(card_items):
    click(find(main, "menu item", "卡信息"))
    click(find(app, "menu item", item))
    wizard = dialog(app, "导航")
    if i == 0:
        shot("wizard", "^导航$")
        check_names(wizard, "wizard")
    click(find(wizard, "push button", "确定"))
    dialog(app, "导航", present=False)
    shot(picture)

# The grid's export menu, on a right click.
grid = find(main, "table", "卡信息")
e = grid.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
subprocess.run(["xdotool", "mousemove", str(e.x + 300), str(e.y + 120)], check=True)
time.sleep(0.5)
subprocess.run(["xdotool", "click", "3"], check=True)
time.sleep(0.8)  # a pop-up menu is not in the accessibility tree until it is used
subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (
    520, 260, max(e.x + 200, 0), max(e.y + 40, 0)), f"{OUT}/menu-export.png"], check=True)
key("Escape")

# The card information menu, open.
click(find(main, "menu item", "卡信息"))
find(app, "menu item", "日交易记录")
time.sleep(0.3)
shot_region("menu-card", main, MAIN, 0.6)
key("Escape")

# Server settings: the dialog, a test that connects (the training server
# listens), one that is refused, and input that is no address.
server = open_window(main, app, ("设置", "服务器"), "服务器设置", "server")
click(find(server, "push button", "测试连接"))
answer(app, "测试", "server-ok")
type_into(find(server, "text", "服务器端口："), "1")
click(find(server, "push button", "测试连接"))
answer(app, "错误", "server-failed")
type_into(find(server, "text", "服务器地址："), "192.168.1.256")
click(find(server, "push button", "保存"))
answer(app, "错误", "server-invalid")
close_window(app, server, "取消")

# Reader settings.
close_window(app, open_window(main, app, ("设置", "IC卡读写器"), "读卡器设置", "reader"), "取消")

# The about box, and system information where no such program is installed.
about = open_window(main, app, ("帮助", "关于..."), "关于 Orvane", "about")
click(find(about, "push button", "系统信息"))
answer(app, "Orvane", "sysinfo-none")
close_window(app, about, "确定")

# An invoice-check page, and a query answered on it. The page's own
# controls are not in the accessibility tree, so the keyboard fills the
# form: the code field is the page's first stop.
menu_item(main, app, "发票辨伪拍奖", "税控发票")
pane = find(main, "filler", "发票辨伪拍奖")
time.sleep(2.0)  # the local test server answers at once; let the engine draw
shot("invoice")
e = pane.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
subprocess.run(["xdotool", "mousemove", str(e.x + e.width - 40), str(e.y + e.height - 40),
                "click", "1"], check=True)
key("Tab")
subprocess.run(["xdotool", "type", "--delay", "20", "144001200111"], check=True)
key("Tab")
subprocess.run(["xdotool", "type", "--delay", "20", "00000008"], check=True)
key("Return")
time.sleep(2.0)
shot("invoice-result")

# The five query windows over records stored as the program stores them.
seed_records(os.path.join(os.environ["ORV_RUN_DIR"], "orv.db"))
query_items = [("抄报税记录", "抄报税记录查询", "query-copytax"),
               ("缴税记录", "缴税记录查询", "query-payment"),
               ("申报汇总数据", "申报汇总数据查询", "query-summary"),
               ("发票使用信息", "发票使用信息查询", "query-invoices"),
               ("日交易记录", "日交易记录查询", "query-daily")]
for i, (item, caption, picture) in enumerate(query_items):
    click(find(main, "menu item", "查询"))
    click(find(app, "menu item", item))
    window = dialog(app, caption)
    check_names(window, caption)
    if i == 0:
        shot("query-empty", f"^{caption}$")
        # The start date's calendar, which must speak Chinese.
        picker = find(window, "spin button", "所属期起：")
        e = picker.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(e.x + e.width - 8), str(e.y + e.height // 2),
                        "click", "1"], check=True)
        shot_region("query-calendar", window, f"^{caption}$", 0.5)
        subprocess.run(["xdotool", "key", "Escape"], check=True)
    click(find(window, "push button", "查询"))
    # A long query fills the grid after the click: the picture shows its rows.
    enabled(find(window, "push button", "导出"))
    shot(picture, f"^{caption}$")
    click(find(window, "push button", "退出"))
    dialog(app, caption, present=False)

copy_tax_runs(app, main)
finish(app, main)
