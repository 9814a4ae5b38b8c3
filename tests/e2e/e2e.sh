#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The widget as a user meets it: the real artcal against the real artcal-server on
# loopback, under Xvfb, driven only from outside with xdotool and checked by its files
# and by screenshots. Waits only as a user would: the first refresh tick comes about
# five seconds after start.
#   e2e.sh ARTCAL ARTCAL_SERVER DEFAULTS_DIR
set -uo pipefail
artcal=$1 server=$2 defaults=$3
work=$(mktemp -d)
passed=0 failed=0
app= srv= wm= xvfb= bus= atbus=

cleanup() {
  for p in $app $srv $wm $atbus $xvfb $bus; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  # Xvfb is no child of this shell: its display is free only once it has gone.
  for _ in $(seq 100); do kill -0 "$xvfb" 2>/dev/null || break; sleep 0.1; done
  rm -rf "$work"
}
trap cleanup EXIT

log() { echo "e2e: $*"; }
unset QT_QPA_PLATFORM # the X11 client under test, whatever the caller's tests use
export XDG_CONFIG_HOME=$work/config # where "Start at login" writes
# The server's key and scaled pictures
export XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache
fail() { log "FAIL: $*"; return 1; }

# Waits up to $1 seconds for the command in the remaining arguments to succeed.
wait_for() {
  local seconds=$1; shift
  local end=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.2
  done
}

start_server() { # [port]
  "$server" --library "$work/library" --port "${1:-0}" --seed 7 >"$work/server.log" 2>&1 &
  srv=$!
  # Its address once the line naming it is whole and the server answers there.
  wait_for 20 server_answers || fail "the server did not start" || return 1
  port=${base##*:}
}
server_answers() {
  base=$(grep -o 'http://[0-9.:]*' "$work/server.log" | head -n1)
  [ -n "$base" ] && curl -fs -o /dev/null --max-time 2 "$base/"
}

fresh_state() {
  state=$work/state-$RANDOM
  mkdir -p "$state/MyGallery"
  cp "$defaults/Settings.dat" "$defaults/Categories.dat" "$defaults/default.jpg" "$state/"
}

start_widget() {
  "$artcal" --data-dir "$state" --server "$base" >"$work/artcal.log" 2>&1 &
  app=$!
  wait_for 20 window_id || { fail "the widget mapped no window"; tail -n 20 "$work/artcal.log"; return 1; }
  window=$(window_id)
  sleep 0.5
}
window_id() { xdotool search --onlyvisible --name '^artcal$' | head -n1 | grep .; }

# Clicks at a point of the window, as a user would.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
shot() { import -window "$window" "$1"; }
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
# The record of the picture on disk, one line.
record() { tr -d '\r' <"$state/image.jpg.dat" 2>/dev/null | paste -sd'|'; }
record_is_not() { [ "$(record)" != "$1" ]; }
category_is() { [ "$(record | cut -d'|' -f4)" = "$1" ]; }
server_current() { curl -s --max-time 5 "$base/calender/curpic.dat" | paste -sd'|'; }
window_at() { xdotool getwindowgeometry "$window" | awk '/Position/ {print $2}'; }
# The pointer is where it grabbed the skin: at 5, 150 of the window.
held_where_grabbed() {
  local x y X Y
  IFS=, read -r x y <<<"$(window_at)"
  eval "$(xdotool getmouselocation --shell | grep -E '^[XY]=')"
  [ $((X - x)),$((Y - y)) = 5,150 ]
}
# The window is at least 100, 60 pixels from X0, Y0 in the direction SIGN (1 or -1).
moved_from() { # x0 y0 sign
  local x y; IFS=, read -r x y <<<"$(window_at)"
  [ $(((x - $1) * $3)) -ge 100 ] && [ $(((y - $2) * $3)) -ge 60 ]
}

# Opens the settings panel, picks a category by its place in the list, closes the panel.
choose_category() {
  click 200 380
  click 60 290
  local keys=(Home)
  for ((i = 0; i < $1; i++)); do keys+=(Down); done
  xdotool key --delay 150 "${keys[@]}" Return
  sleep 0.3
  click 202 246
}

stop_widget() { kill "$app" 2>/dev/null; wait "$app" 2>/dev/null; app=; }

run() { # name function
  if "$2"; then log "PASS: $1"; passed=$((passed + 1)); else log "FAIL: $1"; failed=$((failed + 1)); fi
}

first_start_shows_placeholder_then_picture() {
  fresh_state; start_widget || return 1
  [ ! -e "$state/image.jpg" ] || fail "a picture before the first tick" || return 1
  shot "$work/placeholder.png"
  wait_for 15 test -s "$state/image.jpg.dat" || fail "no picture after the first tick" || return 1
  sleep 0.5
  shot "$work/first.png"
  [ "$(compare -metric AE -crop 188x144+24+32 "$work/placeholder.png" "$work/first.png" null: 2>&1)" != 0 ] \
    || fail "the picture on screen did not change" || return 1
  [ "$(record)" = "$(server_current)" ] || fail "the record is not the server's current picture"
}

# Clicks the refresh button until another picture than the one on disk arrives.
refresh_until_new() {
  local before; before=$(record)
  for _ in 1 2 3 4 5; do
    click 116 208
    wait_for 10 record_is_not "$before" && return 0
  done
  fail "five refreshes brought no other picture"
}

refresh_button_brings_a_new_picture() {
  refresh_until_new
}

category_change_applies_at_the_next_tick() {
  rm "$state/image.jpg.dat" # so that only a new install brings it back
  choose_category 3 # Fractals
  wait_for 15 category_is Fractals || fail "no picture from Fractals" || return 1
  [ "$(server_current | cut -d'|' -f4)" = Fractals ] || fail "the server's current picture is not from Fractals" || return 1
  [ "$(tr -d '\r' <"$state/Settings.dat" | sed -n 2p)" = " 3 " ] || fail "Settings.dat does not hold the choice"
}

hover_box_follows_the_pointer() {
  xdotool mousemove --window "$window" 100 100; sleep 0.3
  shot "$work/hover.png"
  [ "$(pixel "$work/hover.png" 23 100)" = "srgb(255,255,128)" ] || fail "no hover box over the picture" || return 1
  xdotool mousemove --window "$window" 100 300; sleep 0.3
  shot "$work/nohover.png"
  [ "$(pixel "$work/nohover.png" 23 100)" != "srgb(255,255,128)" ] || fail "the hover box stayed"
}

save_then_gallery_shows_only_saved() {
  click 116 20 # Add to My Gallery
  wait_for 3 compgen -G "$state/MyGallery/*.data" >/dev/null || fail "no gallery file" || return 1
  local saved; saved=$(tr -d '\r' <"$(compgen -G "$state/MyGallery/*.data" | head -n1)" | paste -sd'|')
  [ "$saved" = "$(record)" ] || fail "the gallery file is not the picture's record" || return 1
  choose_category 1 # My Gallery
  for _ in 1 2 3; do
    rm -f "$state/image.jpg.dat"
    click 116 208
    wait_for 10 test -s "$state/image.jpg.dat" || fail "no picture from the gallery" || return 1
    [ "$(record)" = "$saved" ] || fail "a picture that was not saved" || return 1
  done
}

month_arrows_step_and_return() {
  shot "$work/month0.png"
  click 26 375
  shot "$work/month-1.png"
  click 53 374
  click 53 374
  shot "$work/month+1.png"
  click 26 375
  shot "$work/month0b.png"
  local area=191x190+20+180
  [ "$(compare -metric AE -crop $area "$work/month0.png" "$work/month-1.png" null: 2>&1)" != 0 ] \
    || fail "the previous month looks like this one" || return 1
  [ "$(compare -metric AE -crop $area "$work/month-1.png" "$work/month+1.png" null: 2>&1)" != 0 ] \
    || fail "the next month looks like the previous one" || return 1
  [ "$(compare -metric AE -crop $area "$work/month0.png" "$work/month0b.png" null: 2>&1)" = 0 ] \
    || fail "back and forth did not return to this month"
}

# Drags the window by the bare skin with mouse button $1, by 120, 80 pixels times $2
# (1 or -1, so that the cases take turns), then moves the pointer on and clicks: the
# window stays where the release put it.
drag_with() { # button direction
  local x0 y0 at
  IFS=, read -r x0 y0 <<<"$(window_at)"
  xdotool mousemove --window "$window" 5 150 mousedown "$1"
  sleep 0.2
  # A drag begins with a small motion, which hands a left drag to the window manager.
  xdotool mousemove_relative --sync -- $((2 * $2)) $((2 * $2)); sleep 0.2
  xdotool mousemove_relative --sync -- $((60 * $2)) $((40 * $2)); sleep 0.2
  xdotool mousemove_relative --sync -- $((60 * $2)) $((40 * $2)); sleep 0.2
  xdotool mouseup "$1"
  # A busy machine may be slow to follow: the window gets there, or the drag failed.
  wait_for 10 moved_from "$x0" "$y0" "$2" || fail "button $1 moved the window from $x0,$y0 to $(window_at)" || return 1
  wait_for 5 held_where_grabbed || fail "button $1 left the window behind the pointer" || return 1
  sleep 0.3
  at=$(window_at)
  xdotool mousemove_relative --sync 0 40; sleep 0.3 # still over the bare skin
  [ "$(window_at)" = "$at" ] || fail "after button $1 the window kept following the pointer" || return 1
  xdotool click "$1" mousemove_relative --sync -- 0 -40; sleep 0.3
  [ "$(window_at)" = "$at" ] || fail "a click of button $1 on the skin glued the window to the pointer"
}

drag_by_the_skin() {
  drag_with 1 1 && drag_with 2 -1 && drag_with 3 1 || return 1
  # A press on a control does not move it (the middle button, which the picture ignores).
  local at; at=$(window_at)
  xdotool mousemove --window "$window" 100 100 mousedown 2 mousemove_relative --sync 30 30 mouseup 2
  sleep 0.3
  [ "$(window_at)" = "$at" ] || fail "a press on the picture moved the window"
}

# The same drags with a window manager that takes the window over.
drag_under_openbox() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  wm=$!
  wait_for 10 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" \
    || fail "openbox did not start" || return 1
  start_widget || return 1
  wait_for 5 bash -c "xprop -id $window WM_STATE | grep -q 'window state'" \
    || fail "openbox does not manage the window" || return 1
  drag_with 1 1 && drag_with 2 -1 && drag_with 3 1 && quick_drag -1
}

# A press, a motion and a release within a few milliseconds, as a touchpad's tap-drag:
# the move ends at the release, and the window stays there.
quick_drag() { # direction
  local x0 y0 at
  IFS=, read -r x0 y0 <<<"$(window_at)"
  xdotool mousemove --window "$window" 5 150 mousedown 1 \
    mousemove_relative -- $((120 * $1)) $((80 * $1)) mouseup 1
  wait_for 10 moved_from "$x0" "$y0" "$1" || fail "a quick drag moved the window from $x0,$y0 to $(window_at)" || return 1
  wait_for 5 held_where_grabbed || fail "a quick drag left the window behind the pointer" || return 1
  at=$(window_at)
  xdotool mousemove_relative --sync 0 40; sleep 0.3
  [ "$(window_at)" = "$at" ] || fail "after a quick drag the window kept following the pointer"
}

server_down_keeps_the_picture() {
  local picture; picture=$(md5sum <"$state/image.jpg")
  local before; before=$(record)
  kill "$srv"; wait "$srv" 2>/dev/null
  shot "$work/before-down.png"
  click 116 208
  sleep 3
  shot "$work/down.png"
  [ "$(md5sum <"$state/image.jpg")" = "$picture" ] || fail "image.jpg changed while the server was down" || return 1
  [ "$(record)" = "$before" ] || fail "the record changed while the server was down" || return 1
  [ "$(compare -metric AE -crop 188x144+24+32 "$work/before-down.png" "$work/down.png" null: 2>&1)" = 0 ] \
    || fail "the picture on screen changed while the server was down" || return 1
  choose_category 0 # All, so that a new picture can come
  start_server "$port" || return 1
  refresh_until_new
}

# "Start at login" in the menu writes an autostart entry whose Exec line, run as
# written, starts the widget; choosing it again removes the entry.
start_at_login_from_the_menu() {
  local entry=$XDG_CONFIG_HOME/autostart/artcal.desktop second
  xdotool mousemove --window "$window" 100 100 click 3 sleep 0.5 key l
  wait_for 3 test -s "$entry" || fail "no autostart entry" || return 1
  # Run as written, it starts artcal on this widget's folder: that one is already
  # running there, so the new one calls it forward and ends.
  (eval "exec timeout 20 $(sed -n 's/^Exec=//p' "$entry")") >"$work/second.log" 2>&1
  second=$?
  [ "$second" = 0 ] && grep -qF "already running on $state" "$work/second.log" \
    || fail "its Exec line did not start artcal on $state (status $second): $(cat "$work/second.log")" \
    || return 1
  xdotool mousemove --window "$window" 100 100 click 3 sleep 0.5 key l
  wait_for 3 test ! -e "$entry" || fail "the entry stayed after the second choice"
}

# Two calendars added through "Calendars..." with the keyboard, under the window manager: a holiday colours the
# 20th, an event marks the 10th, and a day's tooltip says what is on. After a restart
# with the server gone, the grid shows the same marks.
write_calendar() { # file day summary
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:%s\r\nDTSTART:%s%sT093000Z\r\nSUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' \
    "$2" "$(date -u +%Y%m)" "$2" "$3" >"$1"
}
dialog_id() { xdotool search --onlyvisible --name '^Calendars$' | head -n1 | grep .; }
add_calendar_file() { # path [kind keys]
  xdotool windowactivate --sync "$(dialog_id)" key alt+f; sleep 1
  xdotool type --delay 20 "$1"; xdotool key Return; sleep 0.5
  [ -z "${2:-}" ] || { xdotool windowactivate --sync "$(dialog_id)" key alt+k "$2"; sleep 0.3; }
}
calendar_area() { convert "$1" -crop 196x132+20+225 +repage "$2"; }
calendars_from_the_dialog() {
  write_calendar "$work/holidays.ics" 20 "Founders Day"
  write_calendar "$work/events.ics" 10 "Dentist"
  stop_widget; fresh_state; start_widget || return 1
  shot "$work/no-calendars.png"
  xdotool mousemove --window "$window" 100 100 click 3 sleep 0.5 key e
  wait_for 5 dialog_id || fail "no Calendars dialog" || return 1
  add_calendar_file "$work/holidays.ics" Down
  add_calendar_file "$work/events.ics"
  import -window "$(dialog_id)" "$work/dialog.png"
  xdotool windowactivate --sync "$(dialog_id)" key Escape
  grep -q "^holidays"$'\t'"holidays"$'\t'"$work/holidays.ics" "$state/Calendars.dat" \
    || fail "Calendars.dat: $(cat "$state/Calendars.dat")" || return 1
  sleep 1; shot "$work/calendars.png"
  calendar_area "$work/no-calendars.png" "$work/a.png"; calendar_area "$work/calendars.png" "$work/b.png"
  [ "$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)" != 0 ] || fail "no marks in the grid" || return 1
  local day10; day10=$(CALENDAR_DAY=10 day_point)
  xdotool mousemove --window "$window" ${day10% *} ${day10#* }; sleep 2
  import -window root "$work/tooltip.png"
  stop_widget; kill "$srv"; wait "$srv" 2>/dev/null; srv=
  # What a screen reader hears of the 10th, through the accessibility bus.
  /usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/at-spi.log" 2>&1 &
  atbus=$!
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_widget || return 1; sleep 1
  shot "$work/offline.png"; calendar_area "$work/offline.png" "$work/c.png"
  [ "$(compare -metric AE "$work/b.png" "$work/c.png" null: 2>&1)" = 0 ] || fail "other marks after the restart offline" || return 1
  local heard; heard=$(timeout 30 /usr/bin/python3 "$(dirname "$0")/accessible_description.py" 10)
  [ "$heard" = "09:30 Dentist" ] || fail "the 10th's accessible description: '$heard'" || return 1
  # Kept where ARTCAL_E2E_SHOTS says, to be looked at.
  [ -z "${ARTCAL_E2E_SHOTS:-}" ] || { mkdir -p "$ARTCAL_E2E_SHOTS" &&
    cp "$work"/{no-calendars,dialog,calendars,tooltip,offline}.png "$ARTCAL_E2E_SHOTS/"; }
}
# The middle of day CALENDAR_DAY's label in the window, this month.
day_point() {
  local first col row
  first=$(date -u -d "$(date -u +%Y-%m-01)" +%u) # Monday 1
  col=$(( (first - 1 + CALENDAR_DAY - 1) % 7 )); row=$(( (first - 1 + CALENDAR_DAY - 1) / 7 ))
  echo "$((20 + 42 + 22 * col)) $((225 + 34 + 14 * row + 5))"
}

close_button_ends_with_status_0() {
  click 204 20
  wait_for 10 bash -c "! kill -0 $app" || fail "still running after the close button" || return 1
  wait "$app"; local status=$?
  app=
  [ "$status" = 0 ] || fail "exit status $status"
}

source "$(dirname "$0")/../../scripts/lib/xvfb.bash"
start_xvfb 800x600x24 || exit 1
# A session bus, as a desktop has: without one, Qt's accessibility bridge waits for
# libdbus to launch one, which held the widget's start for over 18 s now and then.
bus_info=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || { log "FAIL: no session bus"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=${bus_info%%$'\n'*}
bus=${bus_info##*$'\n'}
log "painting a small demo library"
"$server" --demo --library "$work/library" --port 0 --seed 7 >"$work/demo.log" 2>&1 &
srv=$!
wait_for 60 grep -q 'listening on' "$work/demo.log" || { log "FAIL: no demo library"; exit 1; }
kill "$srv"; wait "$srv" 2>/dev/null
start_server || exit 1

run "first start shows the placeholder, then a picture" first_start_shows_placeholder_then_picture
run "the refresh button brings a new picture" refresh_button_brings_a_new_picture
run "a category chosen in the settings applies at the next tick" category_change_applies_at_the_next_tick
run "the hover box follows the pointer" hover_box_follows_the_pointer
run "saved pictures, and only they, come in My Gallery mode" save_then_gallery_shows_only_saved
run "the month arrows step and return" month_arrows_step_and_return
run "the window is dragged by its skin" drag_by_the_skin
run "the last picture stays while the server is down" server_down_keeps_the_picture
run "start at login from the menu" start_at_login_from_the_menu
run "the close button ends the program with status 0" close_button_ends_with_status_0
run "the window is dragged by its skin under openbox" drag_under_openbox
run "calendars added from the dialog mark the grid, offline too" calendars_from_the_dialog

echo "e2e: $passed passed, $failed failed"
[ "$failed" = 0 ]
