#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix, checks what the desktop reads there (the
# desktop entry, metainfo, icons, the server's user unit) with the desktop's own
# validators, and starts the installed widget as a new user would: with no state beside
# the executable it must keep its state in the per-user data folder, seeded from the
# installed defaults.
#   install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
app=
trap '[ -z "$app" ] || kill $app 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "install: FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
cd "$work/prefix"
icons=share/icons/hicolor
module=$(find lib -name libartcal-network.so -path '*/artcal/*')
calendar_module=$(find lib -name libartcal-calendar.so -path '*/artcal/*')
for f in bin/artcal bin/artcal-server "$module" "$calendar_module" share/artcal/Settings.dat share/artcal/Categories.dat \
         share/artcal/default.jpg share/artcal/art/skin.rgbx share/artcal/art/calendar@2x.rgbx \
         share/applications/artcal.desktop $icons/scalable/apps/artcal.svg \
         share/metainfo/io.github.artcal.artcal.metainfo.xml share/systemd/user/artcal-server.service \
         share/systemd/user/artcal-import.service share/systemd/user/artcal-import.timer \
         share/artcal-server/sources.conf \
         share/doc/artcal/copyright \
         share/man/man1/artcal.1.gz share/man/man1/artcal-server.1.gz; do
  [ -s "$f" ] || fail "$f is not installed"
done
# Each PNG icon is as wide and as high as its folder says (the PNG header holds both).
for size in 16 22 24 32 48 64 128 256; do
  png=$icons/${size}x$size/apps/artcal.png
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$png" 2>/dev/null | xargs)" = "$size $size" ] ||
    fail "$png is not a $size px icon"
done
desktop=share/applications/artcal.desktop
grep -q '^Exec=artcal$' $desktop || fail "the desktop entry does not start artcal"
grep -q '^StartupWMClass=artcal$' $desktop || fail "the desktop entry does not name the window class"
desktop-file-validate $desktop || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net share/metainfo/*.xml >/dev/null || fail "appstreamcli rejects the metainfo"
# Each man page, as man shows it (read without spaces), lists its program's options, and
# the server's names the user's folders, not the builder's.
while read -r program words; do
  MANPAGER=cat man -l share/man/man1/$program.1.gz 2>/dev/null | tr -d ' \n' >"$work/man" ||
    fail "man cannot show $program"
  for word in $words; do grep -qF -- "$word" "$work/man" || fail "man $program does not show $word"; done
done <<'EOF'
artcal --data-dir<dir> --server<url>
artcal-server --library<dir> --port<port> (default~/.local/share/artcal-server/library)
EOF
# The unit starts the server of this prefix; verify also checks that it is executable.
unit=share/systemd/user/artcal-server.service
grep -qx "ExecStart=$work/prefix/bin/artcal-server --demo" $unit || fail "the unit starts $(grep ExecStart $unit)"
mkdir -m 700 "$work/run"
grep -qx "ExecStart=$work/prefix/bin/artcal-server import" share/systemd/user/artcal-import.service ||
  fail "the import unit runs $(grep ExecStart share/systemd/user/artcal-import.service)"
XDG_RUNTIME_DIR=$work/run systemd-analyze --user verify $unit share/systemd/user/artcal-import.timer \
  share/systemd/user/artcal-import.service || fail "systemd-analyze rejects the units"
# With no sources.conf of the user's, an import reads the one installed beside it.
HOME=$work/home XDG_CONFIG_HOME='' bin/artcal-server import --help | tr -d ' \n' >"$work/help"
grep -qF -- "$work/prefix/share/artcal-server/sources.conf" "$work/help" ||
  fail "artcal-server import does not default to the installed sources.conf"
# The help wraps long lines, within words too; read it without any spaces.
HOME=$work/home XDG_DATA_HOME='' XDG_CACHE_HOME='' bin/artcal-server --help | tr -d ' \n' >"$work/help"
for default in 127.0.0.1 8642 "$work/home/.local/share/artcal-server/library" \
  "$work/home/.local/share/artcal-server/key" "$work/home/.cache/artcal-server"; do
  grep -qF -- "$default" "$work/help" || fail "artcal-server --help does not show $default"
done
[ ! -e bin/Settings.dat ] || fail "state files beside the installed executable"

user=$work/home/.local/share
start() {
  QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$user XDG_DATA_DIRS=$work/nowhere HOME=$work/home \
    "$work/prefix/bin/artcal" --server http://127.0.0.1:9 >"$work/artcal.log" 2>&1 &
  app=$!
  for _ in $(seq 100); do [ -s "$user/artcal/Settings.dat" ] && break; sleep 0.1; done
  sleep 0.5
  kill -0 $app 2>/dev/null || fail "the installed widget did not keep running: $(cat "$work/artcal.log")"
}
stop() { kill $app; wait $app 2>/dev/null || true; app=; }

start
stop
for f in Settings.dat Categories.dat default.jpg; do
  cmp -s "$user/artcal/$f" "$work/prefix/share/artcal/$f" || fail "$f was not seeded into the per-user folder"
done
[ -d "$user/artcal/MyGallery" ] || fail "no MyGallery folder in the per-user folder"
# It dresses itself in the installed art instead of painting it, and its first refresh
# (at its first tick, 5 s in) loads the installed network module and asks the server;
# on a busy machine that may take longer, so the trace runs until it has asked.
QT_QPA_PLATFORM=offscreen XDG_DATA_HOME=$user XDG_DATA_DIRS=$work/nowhere HOME=$work/home \
  strace -f -qq -e trace=openat,connect -o "$work/opened" \
  timeout 120 bin/artcal --server http://127.0.0.1:9 >"$work/said" 2>&1 &
traced=$!
for _ in $(seq 1200); do grep -q "htons(9)" "$work/opened" 2>/dev/null && break; sleep 0.1; done
pkill -TERM -P $traced timeout || true
wait $traced || true
grep -q "share/artcal/art/skin.rgbx\", O_RDONLY.* = [0-9]" "$work/opened" ||
  fail "the installed widget did not read share/artcal/art/skin.rgbx"
! grep -E "Passing over|no network:" "$work/said" ||
  fail "the installed widget refused its own art or network module"
grep -q "/artcal/libartcal-network.so\", O_RDONLY.* = [0-9]" "$work/opened" ||
  fail "the installed widget did not load its network module"
grep -q "connect(.*htons(9), sin_addr=inet_addr(\"127.0.0.1\")" "$work/opened" ||
  fail "the installed widget did not ask the server for a picture"
# Without a calendar, the iCalendar library stays out.
! grep -q "libical" "$work/opened" || fail "the installed widget loaded libical without a calendar"
# Later starts keep what the user chose.
printf ' 3 \r\n 2 \r\n' >"$user/artcal/Settings.dat"
start
stop
[ "$(cat "$user/artcal/Settings.dat")" = "$(printf ' 3 \r\n 2 \r\n')" ] || fail "a later start overwrote Settings.dat"
echo "install: 1 passed, 0 failed"
