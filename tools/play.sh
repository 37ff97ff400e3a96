#!/usr/bin/env bash
# Sets everything up and starts Rookfall.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
if [ -x build/bin/Rookfall ]; then
  exec build/bin/Rookfall "$@"
fi
echo "Everything is built, but the game Rookfall is not built yet." >&2
