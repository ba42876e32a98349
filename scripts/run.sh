#!/usr/bin/env bash
# Installs, builds and starts Marquel on the database delivered beside the program.
# Without a display it starts under a virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" build/bin/marquel "$@"
fi
exec build/bin/marquel "$@"
