#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command line: help and version (without a display too), a misused command line
# ends with status 2 quoting what was given, and a start-up that cannot find its state
# folder ends with status 1 and says why; a folder named like an option is a folder.
#   cli.sh ARTCAL
set -uo pipefail
artcal=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # name expected-status expected-text args...
  local name=$1 status=$2 text=$3; shift 3
  local out; out=$(timeout 20 "${run[@]}" "$artcal" "$@" 2>&1); local got=$?
  if [ "$got" = "$status" ] && grep -qF -- "$text" <<<"$out"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "cli: FAIL: $name: status $got, output: $out"
  fi
}
touch "$work/file"
run=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
check "help without a display" 0 "--data-dir <dir>" --help
check "all the help without a display" 0 "--data-dir <dir>" --help-all
check "version without a display" 0 "artcal " --version
check "unknown option without a display" 2 "Unknown option 'bogus'" --bogus
check "no display at all" 1 "There was error while loading application" --data-dir "$work"
check "no display is named" 1 "no display: neither DISPLAY nor WAYLAND_DISPLAY is set" --data-dir "$work"
run=(env QT_QPA_PLATFORM=offscreen)
check "missing state folder" 1 "There was error while loading application" --data-dir "$work/missing"
check "the reason is given" 1 "does not exist" --data-dir "$work/missing"
check "state folder is a file" 1 "is not a folder" --data-dir "$work/file"
check "not a web address" 2 'not "ftp://h/"' --data-dir "$work" --server "ftp://h/"
check "no host" 2 'not "http://"' --data-dir "$work" --server "http://"
check "extra argument" 2 'unexpected argument "stray"' --data-dir "$work" stray
# A state folder named like an option is a folder: the widget starts (and is stopped).
mkdir -p "$work/cwd/-v"
(cd "$work/cwd" && QT_QPA_PLATFORM=offscreen timeout 3 "$artcal" --data-dir -v \
  --server http://127.0.0.1:9 >"$work/dash.log" 2>&1)
got=$?
if [ "$got" = 124 ]; then passed=$((passed + 1)); else
  failed=$((failed + 1)); echo "cli: FAIL: state folder -v: status $got: $(cat "$work/dash.log")"
fi
# One widget per state folder: a second start asks the first to come forward and ends.
mkdir -p "$work/one"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="artcal.*.info=true" "$artcal" --data-dir "$work/one" \
  --server http://127.0.0.1:9 >"$work/first.log" 2>&1 &
first=$!
for _ in $(seq 200); do [ -e "$work/one/artcal.lock" ] && break; sleep 0.1; done
check "a second start on one folder" 0 "already running on $work/one" --data-dir "$work/one"
for _ in $(seq 200); do grep -q "coming forward" "$work/first.log" && break; sleep 0.1; done
if grep -q "coming forward" "$work/first.log" && kill -0 "$first"; then passed=$((passed + 1)); else
  failed=$((failed + 1)); echo "cli: FAIL: the first widget was not called: $(cat "$work/first.log")"
fi
kill "$first"; wait "$first" 2>/dev/null
echo "cli: $passed passed, $failed failed"
[ "$failed" = 0 ]
