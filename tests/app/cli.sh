#!/usr/bin/env bash
# The command line: help and version, and a start-up that cannot find its state
# folder or server address ends with status 1 and says why.
#   cli.sh ARTCAL
set -uo pipefail
artcal=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # name expected-status expected-text args...
  local name=$1 status=$2 text=$3; shift 3
  local out; out=$(QT_QPA_PLATFORM=offscreen timeout 20 "$artcal" "$@" 2>&1); local got=$?
  if [ "$got" = "$status" ] && grep -qF -- "$text" <<<"$out"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); echo "cli: FAIL: $name: status $got, output: $out"
  fi
}
touch "$work/file"
check "help" 0 "--data-dir <dir>" --help
check "version" 0 "artcal " --version
check "missing state folder" 1 "There was error while loading application" --data-dir "$work/missing"
check "the reason is given" 1 "does not exist" --data-dir "$work/missing"
check "state folder is a file" 1 "is not a folder" --data-dir "$work/file"
check "not a web address" 1 "--server needs an http or https address" --data-dir "$work" --server "ftp://h/"
check "no host" 1 "--server needs an http or https address" --data-dir "$work" --server "http://"
echo "cli: $passed passed, $failed failed"
[ "$failed" = 0 ]
