#!/usr/bin/python3
"""Drives the running program through AT-SPI: finds controls by role and
accessible name, clicks them where the accessibility interface says they
are (xdotool), and saves screenshots (ImageMagick import). Fails when a
control has no accessible name or an expected one cannot be found.

    drive-screenshots.py OUTPUT_FOLDER   (run by scripts/screenshots)
"""
import subprocess
import sys
import time

import pyatspi

OUT = sys.argv[1]
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
    raise SystemExit(f"drive: no {role} named {name!r}")


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


def shot(name):
    time.sleep(0.5)  # let the window paint
    subprocess.run(["import", "-window", "root", f"{OUT}/{name}.png"], check=True)


def check_names(root, where):
    for a in walk(root):
        if a.getRoleName() in NAMED_ROLES and showing(a) and not a.name.strip():
            problems.append(f"{where}: a {a.getRoleName()} without an accessible name")


def dialog(app, name, present=True, timeout=30.0):
    deadline = time.time() + timeout
    while time.time() < deadline:
        found = [w for w in app if w is not None and w.name == name and showing(w)]
        if bool(found) == present:
            return found[0] if found else None
        time.sleep(0.2)
    raise SystemExit(f"drive: the window {name!r} did not {'open' if present else 'close'}")


app = application()
main = next(w for w in app if w.name.startswith("Orvane"))
shot("main")
check_names(main, "main window")

card_items = [("基本信息", "grid-basic"), ("申报汇总数据", "grid-summary"),
              ("发票使用信息", "grid-invoices"), ("日交易记录", "grid-daily")]
for i, (item, picture) in enumerate(card_items):
    click(find(main, "menu item", "卡信息"))
    click(find(app, "menu item", item))
    wizard = dialog(app, "导航")
    if i == 0:
        shot("wizard")
        check_names(wizard, "wizard")
    click(find(wizard, "push button", "确定"))
    dialog(app, "导航", present=False)
    shot(picture)

click(find(main, "menu item", "报缴税"))
click(find(app, "menu item", "退出"))

for p in problems:
    print("drive:", p, file=sys.stderr)
sys.exit(1 if problems else 0)
