#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads a desktop entry as GLib does, and starts it as GLib does.

    desktop_entry.py --probe        status 0 when GLib's Python bindings are here
    desktop_entry.py ENTRY RECORD   prints a JSON object:
      tryexec      the TryExec key's value after the string escapes
      commandline  the Exec key's value after the string escapes (GLib's key file,
                   which fails on an escape that strings do not have)
      argv         that command line after the Exec quoting: field codes expanded as
                   GLib expands them for no files (only "%%" is expected), then split
                   by GLib's own shell parser; nothing is started for it
      launched     the argv the entry's program received when GLib launched the entry
                   (it must write its argv, NUL-separated, to the file $ARTCAL_RECORD,
                   here RECORD)

Status 77 when GLib's Python bindings (python3-gi) are missing, 1 when GLib refuses
the entry or cannot launch it.
"""
import json
import os
import sys

try:
    import gi

    gi.require_version("Gio", "2.0")
    gi.require_version("GLib", "2.0")
    from gi.repository import Gio, GLib
except (ImportError, ValueError) as missing:
    print(f"desktop_entry.py: GLib's Python bindings (python3-gi): {missing}", file=sys.stderr)
    sys.exit(77)


def fail(text):
    print(f"desktop_entry.py: {text}", file=sys.stderr)
    sys.exit(1)


def expand_field_codes(commandline):
    """As GLib's expand_application_parameters: "%%" is "%"; any other code of an
    entry launched with no files would be replaced, which an artcal entry never wants."""
    out, i = [], 0
    while i < len(commandline):
        if commandline[i] == "%" and i + 1 < len(commandline):
            if commandline[i + 1] != "%":
                fail(f"field code %{commandline[i + 1]} in {commandline!r}")
            out.append("%")
            i += 2
        else:
            out.append(commandline[i])
            i += 1
    return "".join(out)


def launch(info, record):
    """Starts the entry through Gio.DesktopAppInfo, as a desktop's session does, and
    returns what its program received."""
    if os.path.exists(record):
        os.remove(record)
    os.environ["ARTCAL_RECORD"] = record
    pids = []
    try:
        info.launch_uris_as_manager(
            [], None, GLib.SpawnFlags.DO_NOT_REAP_CHILD, None, None,
            lambda _info, pid, _data: pids.append(pid), None)
    except GLib.Error as error:
        fail(f"GLib cannot launch the entry: {error.message}")
    for pid in pids:
        os.waitpid(pid, 0)
    if not os.path.exists(record):
        fail("the launched program wrote no record")
    with open(record, "rb") as f:
        words = f.read().split(b"\0")[:-1]
    return [os.fsdecode(w) for w in words]


def main():
    if sys.argv[1:] == ["--probe"]:
        return
    if len(sys.argv) != 3:
        fail("usage: desktop_entry.py ENTRY RECORD")
    entry, record = sys.argv[1:]
    keys = GLib.KeyFile()
    try:
        keys.load_from_file(entry, GLib.KeyFileFlags.NONE)
        tryexec = keys.get_string("Desktop Entry", "TryExec")
        commandline = keys.get_string("Desktop Entry", "Exec")
        _, argv = GLib.shell_parse_argv(expand_field_codes(commandline))
    except GLib.Error as error:
        fail(f"GLib cannot read {entry}: {error.message}")
    # None when GLib cannot read the entry, or its TryExec names no program.
    info = Gio.DesktopAppInfo.new_from_filename(entry)
    if info is None:
        fail(f"GLib refuses {entry}")
    json.dump({"tryexec": tryexec, "commandline": commandline, "argv": argv,
               "launched": launch(info, record)}, sys.stdout)


main()
