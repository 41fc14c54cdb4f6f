#!/usr/bin/env bash
# Installs what is missing, builds, and starts UlvekLineZelk with the default
# config.ini beside the executable.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release
exe="$root/build/src/app/UlvekLineZelk"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run it in a virtual one with: xvfb-run -a -s '-screen 0 1024x768x24' $exe"
  exit 0
fi
exec "$exe"
