#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Walks the widget as a screen reader does, through AT-SPI.

  check-a11y.py STATE_DIR OPENED_LOG ARTCAL [ARGS...]

Starts ARTCAL ARGS, lists every button with its actions, presses each by its first
action and then clicks it with the mouse (xdotool), and compares the two effects: what
the widget shows (the month, the settings panel), the files it writes in STATE_DIR, the
pages it opens (lines of OPENED_LOG) and whether it still runs. Then the Tab order and
the lists' names and values. Ends with status 1 when an effect differs or a button's
first action is not press.
"""
import os
import re
import subprocess
import sys
import time

import pyatspi

STATE, OPENED, COMMAND = sys.argv[1], sys.argv[2], sys.argv[3:]
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]
CAPTION = "Back to today"  # the caption button's description


def start(running=None):
    """Starts the widget, once the one running (on the same folder) has ended."""
    if running:
        running.terminate()
        running.wait()
    process = subprocess.Popen(COMMAND, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(200):
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.get_process_id() == process.pid and app.childCount:
                time.sleep(1)
                return process, app
        time.sleep(0.1)
    sys.exit("check-a11y: the widget did not appear on the accessibility bus")


def descendants(node):
    for child in node:
        yield child
        if child.getRole() != pyatspi.ROLE_LIST:
            yield from descendants(child)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def buttons(app):
    """The buttons by name; the caption, whose name is its month, as "caption"."""
    found = {}
    for node in descendants(app):
        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
            found["caption" if node.description == CAPTION else node.name] = node
    return found


def lists(app):
    return [node for node in descendants(app) if node.getRole() == pyatspi.ROLE_COMBO_BOX]


def chosen(combo):
    """The list's value: its selected entry."""
    for entry in combo[0]:
        if entry.getState().contains(pyatspi.STATE_SELECTED):
            return entry.name
    return None


def snapshot(process, app):
    if process.poll() is not None:
        return {"running": False}
    caption = buttons(app)["caption"].name.split()
    files = {}
    for folder in (STATE, os.path.join(STATE, "MyGallery")):
        for name in os.listdir(folder):
            path = os.path.join(folder, name)
            if os.path.isfile(path) and not name.endswith(".lock"):
                files[os.path.relpath(path, STATE)] = os.stat(path).st_ino
    opened = open(OPENED).read().split() if os.path.exists(OPENED) else []
    panel = lists(app)[0].getState().contains(pyatspi.STATE_SHOWING)
    return {"running": True, "month": int(caption[1]) * 12 + MONTHS.index(caption[0]),
            "panel": panel, "files": files, "opened": opened}


def effect(before, after):
    """What changed, in words that do not depend on where it started."""
    if not after["running"]:
        return ["the widget ends"]
    said = []
    if after["month"] != before["month"]:
        said.append("month %+d" % (after["month"] - before["month"]))
    if after["panel"] != before["panel"]:
        said.append("settings panel " + ("opens" if after["panel"] else "closes"))
    for name, inode in sorted(after["files"].items()):
        if before["files"].get(name) != inode:
            said.append("writes " + re.sub(r"MyGallery/.*", "MyGallery/<picture>.data", name))
    said += ["opens " + page for page in after["opened"][len(before["opened"]):]]
    return said or ["nothing"]


def settle(process, app, before):
    """The effect once the widget has come to rest, or nothing after 4 s."""
    end = time.monotonic() + 4
    while time.monotonic() < end:
        time.sleep(0.1)
        now = snapshot(process, app)
        if now != before:
            time.sleep(1)  # a refresh writes the picture, then its record
            return effect(before, snapshot(process, app))
    return ["nothing"]


def click(app, node):
    """A click on the point of the button nearest its centre that no other button covers
    (the gallery button lies over most of the home page's)."""
    def box(other):
        e = other.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return e.x, e.y, e.x + e.width, e.y + e.height
    left, top, right, bottom = box(node)
    others = [box(other) for other in buttons(app).values() if other != node]
    points = sorted(((x, y) for x in range(left, right) for y in range(top, bottom)),
                    key=lambda p: abs(2 * p[0] - left - right) + abs(2 * p[1] - top - bottom))
    x, y = next((x, y) for x, y in points
                if not any(l <= x < r and t <= y < b for l, t, r, b in others))
    subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)


def press(app, name):
    buttons(app)[name].queryAction().doAction(0)


# What each button needs before it can show an effect.
def prepare(process, app, name):
    panel = lists(app)[0].getState().contains(pyatspi.STATE_SHOWING)
    if name == "Settings (Ctrl+,)" and panel:
        press(app, "Save and close the settings (Esc)")
    if name == "Save and close the settings (Esc)" and not panel:
        press(app, "Settings (Ctrl+,)")
    if name == "caption":
        press(app, "Next month (Right)")
    if name == "Add to My Gallery (Ctrl+D)":
        for saved in os.listdir(os.path.join(STATE, "MyGallery")):
            os.remove(os.path.join(STATE, "MyGallery", saved))
    time.sleep(0.5)


def try_both(name, ok):
    """Presses the button by its first action, then clicks it; prints both effects."""
    process, app = start(PROCESS) if name == "Close (Ctrl+Q)" else (PROCESS, APP)
    results = []
    for how in ("press", "click"):
        if how == "click" and name == "Close (Ctrl+Q)":
            process, app = start(process)
        prepare(process, app, name)
        before = snapshot(process, app)
        if how == "press":
            press(app, name)
        else:
            click(app, buttons(app)[name])
        results.append(settle(process, app, before))
    same = results[0] == results[1]
    print("  %-40s press: %s\n  %-40s click: %s%s" % (
        name, ", ".join(results[0]), "", ", ".join(results[1]), "" if same else "   DIFFERENT"))
    return ok and same


PROCESS, APP = start()
ok = True
print("Buttons (actions, first one used):")
for name, node in sorted(buttons(APP).items()):
    names = actions(node)
    print("  %-40s %s" % (node.name, names))
    ok = ok and names[:1] == ["Press"]

print("\nEffects, by the press action and by a click:")
# The refresh first, so that a picture is shown, which "Add to My Gallery" needs; the
# close button last.
order = ["Fetch a new picture (F5)"] + sorted(
    set(buttons(APP)) - {"Fetch a new picture (F5)", "Close (Ctrl+Q)"}) + ["Close (Ctrl+Q)"]
for name in order:
    ok = try_both(name, ok)

process, app = start()
print("\nTab order (the settings panel open):")
press(app, "Settings (Ctrl+,)")
window = subprocess.run(["xdotool", "search", "--name", "^artcal$"], capture_output=True,
                        text=True).stdout.split()[0]
subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True)
for _ in range(15):
    subprocess.run(["xdotool", "key", "Tab"], check=True)
    time.sleep(0.2)
    focused = [node for node in descendants(app) if node.getState().contains(pyatspi.STATE_FOCUSED)]
    print("  " + ", ".join("%s %r" % (node.getRoleName(), node.name) for node in focused))

print("\nLists (name: value; entries):")
for combo in lists(app):
    print("  %r: %r; %s" % (combo.name, chosen(combo), [entry.name for entry in combo[0]]))
process.terminate()
print("\ncheck-a11y: " + ("every effect alike" if ok else "FAILED"))
sys.exit(0 if ok else 1)
