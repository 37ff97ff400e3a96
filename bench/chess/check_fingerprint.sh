#!/usr/bin/env bash
# The search's fingerprint: searchbench over positions.epd must choose the
# same moves with the same node counts and scores as fingerprint.txt records.
# A change to the search that alters them on purpose records the new ones:
#   bench/chess/check_fingerprint.sh build/bin/searchbench --record
# Usage: check_fingerprint.sh <searchbench program> [--record]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
searchbench=${1:?usage: check_fingerprint.sh <searchbench program> [--record]}

# Everything but the closing line, which holds the time and speed.
actual=$("$searchbench" < "$here/positions.epd" | grep -v '^nodes ')
if [ "${2:-}" = --record ]; then
  printf '%s\n' "$actual" > "$here/fingerprint.txt"
  echo "recorded the search's fingerprint in $here/fingerprint.txt"
  exit 0
fi
if ! diff -u "$here/fingerprint.txt" <(printf '%s\n' "$actual"); then
  echo "The search's node counts differ from bench/chess/fingerprint.txt (above)." >&2
  echo "If the change to the search is meant, record them: $0 $searchbench --record" >&2
  exit 1
fi
echo "searchbench's node counts match the recorded fingerprint"
