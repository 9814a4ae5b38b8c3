#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The widget in a Wayland session without XWayland: a headless weston, no X display.
# Once with only WAYLAND_DISPLAY set, once with QT_QPA_PLATFORM=wayland as many Wayland
# users set it for every program: the widget starts, shows its picture, and leaves the
# place saved by an X11 session byte for byte as it was.
#   wayland.sh ARTCAL DEFAULTS_DIR
set -uo pipefail
artcal=$1 defaults=$2
work=$(mktemp -d)
passed=0 failed=0
app= compositor= bus=

cleanup() {
  for p in $app $compositor $bus; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

log() { echo "wayland: $*"; }
fail() { log "FAIL: $*"; return 1; }
wait_for() { # seconds command...
  local end=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

# How many pixels of the screen have the colour $1, from a screenshot of the compositor.
pixels_of() {
  rm -f "$work"/shots/*.png
  (cd "$work/shots" && WAYLAND_DISPLAY=$socket weston-screenshooter) || return 1
  convert "$work"/shots/*.png -fuzz 10% -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)]' info:
}
# The picture, 188 x 144 on screen, shows whole.
picture_shown() { [ "$(pixels_of "$1")" -ge 27000 ]; }
place_changed() { ! cmp -s "$state/Window.dat" "$work/Window.dat"; }

# Starts the widget with the environment given, over a picture of colour $1.
shows_picture_keeps_place() { # colour env...
  local colour=$1; shift
  state=$work/state-$RANDOM
  mkdir -p "$state/MyGallery"
  cp "$defaults/Settings.dat" "$defaults/Categories.dat" "$defaults/default.jpg" "$state/"
  convert -size 376x288 "xc:$colour" "$state/image.jpg"
  printf 'http://127.0.0.1:1/picture/1\r\nhttp://127.0.0.1:1/pictures/1.jpg\r\n1\r\nAll\r\n' \
    >"$state/image.jpg.dat"
  printf '40\r\n30\r\n1\r\n' >"$work/Window.dat"
  cp "$work/Window.dat" "$state/Window.dat"
  env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY="$socket" "$@" \
    "$artcal" --data-dir "$state" --server http://127.0.0.1:1 >"$work/artcal.log" 2>&1 &
  app=$!
  wait_for 15 picture_shown "$colour" || { fail "no picture on the screen"; cat "$work/artcal.log"; return 1; }
  # A window system's move used to be saved half a second later; none may be now.
  if wait_for 2 place_changed; then fail "Window.dat changed: $(od -An -c "$state/Window.dat")"; return 1; fi
  kill -0 "$app" || fail "the widget ended" || return 1
  kill "$app"; wait "$app" 2>/dev/null; app=
  place_changed && fail "Window.dat changed at the end"
  return 0
}

run() { # name function args...
  if "${@:2}"; then log "PASS: $1"; passed=$((passed + 1)); else log "FAIL: $1"; failed=$((failed + 1)); fi
}

export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$work/shots"
socket=artcal-$$
# --debug lets weston-screenshooter take the screen; no --xwayland: no X display at all.
weston --backend=headless-backend.so --use-pixman --width=800 --height=600 --no-config \
  --idle-time=0 --debug --socket="$socket" >"$work/weston.log" 2>&1 &
compositor=$!
wait_for 10 test -S "$XDG_RUNTIME_DIR/$socket" || { log "FAIL: weston did not start"; cat "$work/weston.log"; exit 1; }
# A session bus, as a desktop has: Qt's accessibility bridge looks for one.
bus_info=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || { log "FAIL: no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=${bus_info%%$'\n'*}
bus=${bus_info##*$'\n'}

run "only WAYLAND_DISPLAY set" shows_picture_keeps_place '#c020c0'
run "QT_QPA_PLATFORM=wayland" shows_picture_keeps_place '#20c0c0' QT_QPA_PLATFORM=wayland DISPLAY=:0

echo "wayland: $passed passed, $failed failed"
[ "$failed" = 0 ]
