# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts and tests that run the widget under Xvfb.

# start_xvfb SCREEN [XVFB_OPTIONS...]: starts Xvfb with one screen of SCREEN (WxHxD) on a
# display number Xvfb itself finds free (-displayfd), so that runs side by side, or
# beside a desktop, never share a display. Sets xvfb to its process id and exports
# DISPLAY; Xvfb names the display once it accepts clients.
start_xvfb() {
  local line number=
  xvfb=
  exec {xvfb_fd}< <(Xvfb -displayfd 1 -screen 0 "$1" -nolisten tcp "${@:2}" 2>/dev/null &
                    echo "pid $!"; wait)
  # Both lines, in either order; the outer limit is generous for a busy machine.
  while [ -z "$xvfb" ] || [ -z "$number" ]; do
    read -r -t 60 line <&"$xvfb_fd" || { echo "start_xvfb: Xvfb did not start" >&2; return 1; }
    case $line in
      pid\ *) xvfb=${line#pid } ;;
      *) number=$line ;;
    esac
  done
  export DISPLAY=:$number
}
