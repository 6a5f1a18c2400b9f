#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test through CTest, headless.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset dev -DORNAVEL_BUILD_TESTS=ON >/dev/null
cmake --build --preset dev
QT_QPA_PLATFORM=offscreen ctest --preset dev
