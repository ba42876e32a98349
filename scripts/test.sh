#!/usr/bin/env bash
# Installs, builds and runs every test, headless. The tests that need a database server get a
# throwaway one (scripts/test-server.sh), stopped and removed at the end, also when tests fail.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
eval "$(bash scripts/test-server.sh start)"
trap 'bash scripts/test-server.sh stop' EXIT
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)"
