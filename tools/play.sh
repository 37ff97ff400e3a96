#!/usr/bin/env bash
# Sets everything up and starts Rookfall, or with "lumivane" as its first
# word the animated space desktop Lumivane in a window of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
if [ "${1:-}" = "lumivane" ]; then
  shift
  if [ -x build/bin/Lumivane ]; then
    exec build/bin/Lumivane --window "$@"
  fi
  echo "Everything is built, but Lumivane is not built yet." >&2
  exit 1
fi
if [ -x build/bin/Rookfall ]; then
  exec build/bin/Rookfall "$@"
fi
echo "Everything is built, but the game Rookfall is not built yet." >&2
