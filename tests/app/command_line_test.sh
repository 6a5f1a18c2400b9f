#!/usr/bin/env bash
# The command line: --help and --version answer without any display and exit 0; an
# unknown option is refused; the table streams the window's rows, refuses a bad call with
# status 2 and nothing on stdout, and marks a bad line of standard input.
# Arguments: the executable and the version it must report.
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
check "--help lists the table" 0 "table QUANTITY VALUE" "${nodisplay[@]}" "$exe" --help

table=("${nodisplay[@]}" "$exe" table)
check "a zero step" 2 "^ornavel table: range 1:5:0 has a zero step$" "${table[@]}" M1 1:5:0
check "a range of too many rows" 2 "has 10000001 rows, more than 10000000$" "${table[@]}" m1 0:10000000:1
check "a usage error writes nothing on stdout" 0 "^0$" bash -c '"$@" 2>/dev/null | wc -c' - "${table[@]}" M1 2 x
check "decimal-exact steps land on TO, past the output buffer" 0 $'^49002 5.9\t40.445\t' \
  bash -c '"$@" --format tsv | awk "{ n++; last = \$0 } END { print n, last }"' - "${table[@]}" M1 1:5.9:0.0001
# Every format whole, escapes and line ends included, and the wider columns of 15 digits.
check "each format as it stands" 0 "^same$" \
  bash -c '{ for f in text csv tsv html markdown latex; do "$@" M1 2 0.2 --format $f; done
    "$@" M1 2 --digits 15; } | diff "$0" - && echo same' "$(dirname "$0")/table_formats.expected" "${table[@]}"
# Air's tables byte for byte as they were before any gas could be named, named or not.
for gas in "" "--gamma 1.4" "--gamma AIR"; do
  check "air's tables unchanged ${gas:-by default}" 0 "^same$" \
    bash -c 'for a in "M1 -3:6:0.25" "M2 0:1.2:0.05" "Po2/P1 0:60:1.5" "P2/P1 0:50:1.25 1e300" \
      "rho2/rho1 0:6.5:0.25 0.16666666666666669" "T2/T1 0:10:0.25 2e-16" "Po2/Po1 0:1.1:0.025 1e-220"; do
      "$@" $a; "$@" $a --digits 15 --format tsv; done | diff "$0" - && echo same' \
    "$(dirname "$0")/gamma_1.4.expected" "${table[@]}" $gas
done
check "table -h" 0 "^Usage: ornavel table \[RELATION\] QUANTITY" "${table[@]}" -h
# CR LF line ends, and a last line without one.
check "a bad line of standard input is told" 1 "^ornavel table: line 3 of standard input is not a number$" \
  bash -c 'printf "2\r\n\r\n2abc\r\n10" | "$@" - >/dev/null' - "${table[@]}" po2p1
check "a bad line is marked, blank lines skipped, the rest goes on" 1 $'^M1\tnote 1\\.04655\t \tnot a number 2\\.71975\t$' \
  bash -c 'set -o pipefail; printf "2\r\n\r\n2abc\r\n10" | "$@" - --format tsv 2>/dev/null | cut -f 1,8 | paste -sd " "' - "${table[@]}" po2p1
# A live source: the row of a line read is out before the table waits for the next.
check "each row before the next line" 0 "^2,4\.5," \
  bash -c '{ echo 2; sleep 4; } | timeout 2 "$@" - --format csv | tail -n 1' - "${table[@]}" M1
check "a closed pipe ends it at once and quietly" 0 "^141 quiet$" \
  bash -c '"$@" 2>"$0.err" | head -n 1 >/dev/null; s=${PIPESTATUS[0]}; [ -s "$0.err" ] || echo "$s quiet"' "$(mktemp)" "${table[@]}" M1 1:9:0.000001

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
