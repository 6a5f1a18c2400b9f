#!/usr/bin/env bash
# Installs what is missing, builds a Release build and opens the Ornavel window.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset release -DORNAVEL_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release --parallel "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Ornavel is a desktop program and no display was found (DISPLAY and WAYLAND_DISPLAY are unset); run it headless with: xvfb-run ./run.sh" >&2
  exit 1
fi
exec ./build/release/app/ornavel
