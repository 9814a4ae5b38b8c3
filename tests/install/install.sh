#!/usr/bin/env bash
# Installs the build into a fresh prefix and starts the installed widget as a new user
# would: with no state beside the executable it must keep its state in the per-user
# data folder, seeded from the installed defaults.
#   install.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
app=
trap '[ -z "$app" ] || kill $app 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "install: FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/artcal bin/artcal-server share/artcal/Settings.dat share/artcal/Categories.dat \
         share/artcal/default.jpg share/applications/artcal.desktop share/icons/hicolor/256x256/apps/artcal.png; do
  [ -s "$work/prefix/$f" ] || fail "$f is not installed"
done
grep -q '^Exec=artcal$' "$work/prefix/share/applications/artcal.desktop" || fail "the desktop entry does not start artcal"
[ ! -e "$work/prefix/bin/Settings.dat" ] || fail "state files beside the installed executable"

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
# Later starts keep what the user chose.
printf ' 3 \r\n 2 \r\n' >"$user/artcal/Settings.dat"
start
stop
[ "$(cat "$user/artcal/Settings.dat")" = "$(printf ' 3 \r\n 2 \r\n')" ] || fail "a later start overwrote Settings.dat"
echo "install: 1 passed, 0 failed"
