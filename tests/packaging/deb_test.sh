#!/usr/bin/env bash
# Builds the .deb from a configured build folder, unpacks it into a scratch root and checks
# that every file lands where the desktop expects it and the dependencies are declared.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack -G DEB -B "$scratch/out" --config "$build/CPackConfig.cmake" >/dev/null
deb=$(ls "$scratch"/out/ornavel_*.deb)
dpkg-deb -x "$deb" "$scratch/root"

passed=0 failed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1"; fi
}
root=$scratch/root
check "executable" "[ -x '$root/usr/bin/ornavel' ]"
check "desktop entry" "[ -f '$root/usr/share/applications/org.ornavel.Ornavel.desktop' ]"
check "metainfo" "[ -f '$root/usr/share/metainfo/org.ornavel.Ornavel.metainfo.xml' ]"
check "scalable icon" "[ -f '$root/usr/share/icons/hicolor/scalable/apps/org.ornavel.Ornavel.svg' ]"
check "48x48 icon" "[ -f '$root/usr/share/icons/hicolor/48x48/apps/org.ornavel.Ornavel.png' ]"
check "licence" "grep -q 'MIT License' '$root/usr/share/doc/ornavel/copyright'"
check "changelog" "zcat '$root/usr/share/doc/ornavel/changelog.gz' | grep -q '^ornavel (1\\.0\\.0) unstable'"
check "manual page" "zcat '$root/usr/share/man/man1/ornavel.1.gz' | grep -q '^.B ornavel table'"
check "GPL-3 through Qt Charts" "grep -q 'GPL-3.0-only' '$root/usr/share/doc/ornavel/copyright'"
check "font licence" "grep -q 'SIL OPEN FONT LICENSE Version 1.1' '$root/usr/share/doc/ornavel/copyright'"
check "tables module" "find '$root/usr/lib' -path '*/ornavel/modules/ornavel_table.so' | grep -q ."
check "nothing else in bin" "[ \"\$(ls '$root/usr/bin')\" = ornavel ]"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libqt6charts6 libstdc++6; do
  check "depends on $package" "grep -q '$package' <<<'$depends'"
done
echo "Depends: $depends"
# Debian's own checks, at errors and warnings, where lintian is installed.
if command -v lintian >/dev/null 2>&1; then
  check "lintian: no errors or warnings" "lintian --fail-on error,warning '$deb'"
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
