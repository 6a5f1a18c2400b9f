#!/usr/bin/env bash
# The command line: --help and --version answer without any display and exit 0; an
# unknown option is refused. Arguments: the executable and the version it must report.
set -uo pipefail
exe=$1
version=$2
passed=0 failed=0
check() {
  local name=$1 want_status=$2 want_output=$3
  shift 3
  local output status
  output=$("$@" 2>&1)
  status=$?
  if [ "$status" -eq "$want_status" ] && grep -qE -- "$want_output" <<<"$output"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: $name: status $status, output: $output"
  fi
}
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
check "--version" 0 "^Ornavel ${version//./\\.}\$" "${nodisplay[@]}" "$exe" --version
check "-v" 0 "^Ornavel ${version//./\\.}\$" "${nodisplay[@]}" "$exe" -v
check "--help" 0 "^Usage: .*ornavel \[options\]" "${nodisplay[@]}" "$exe" --help
check "--help lists --version" 0 "--version" "${nodisplay[@]}" "$exe" --help
# Qt's own -stylesheet is left to Qt, not read as -s -t … -h; what is left is checked.
check "unknown option after a Qt option" 1 "^Ornavel: Unknown option 'bogus'\.\$" \
  env QT_QPA_PLATFORM=offscreen "$exe" -stylesheet /dev/null --bogus
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
