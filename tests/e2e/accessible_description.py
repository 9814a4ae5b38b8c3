#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints what a screen reader hears as the description of the widget's accessible
# object named NAME (a day label's number), read through AT-SPI; fails when none has one.
#   accessible_description.py NAME
import sys

import pyatspi


def find(node, name, depth=0):
    if node is None or depth > 12:
        return None
    if node.name == name and node.description:
        return node.description
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), name, depth + 1)
        if found:
            return found
    return None


desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is not None and app.name == "artcal":
        description = find(app, sys.argv[1])
        if description:
            print(description)
            sys.exit(0)
sys.exit(1)
