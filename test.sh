#!/usr/bin/env bash
# Installs what is missing, checks the layout, then builds and runs every test through CTest: the
# normal suite, the same suite under AddressSanitizer and UBSan, and, where clang-14 is
# installed, a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")"
export QT_QPA_PLATFORM=offscreen

# The desktop group too: without it CTest leaves the desktop tests out and a broken desktop
# goes unseen.
./scripts/install-deps.sh desktop

echo "== layout: clang-format-14 with the checked-in .clang-format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror

echo "== tests"
cmake --preset dev -DORNAVEL_BUILD_TESTS=ON >/dev/null
cmake --build --preset dev --parallel "$(nproc)"
ctest --preset dev

echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan -DORNAVEL_BUILD_TESTS=ON >/dev/null
cmake --build --preset asan --parallel "$(nproc)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 ctest --preset asan

fuzzer_probe='extern "C" int LLVMFuzzerTestOneInput(const char *, unsigned long) { return 0; }'
if command -v clang++-14 >/dev/null 2>&1 \
    && clang++-14 -fsanitize=fuzzer -x c++ - -o /dev/null <<<"$fuzzer_probe" 2>/dev/null; then
  echo "== fuzz targets, ${ORNAVEL_FUZZ_SECONDS:-30} s each"
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --parallel "$(nproc)"
  ./fuzz/run.sh build/fuzz/fuzz "${ORNAVEL_FUZZ_SECONDS:-30}"
else
  echo "== fuzz targets skipped: clang-14 with libclang-rt-14-dev is not installed"
fi
