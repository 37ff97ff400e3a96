#!/usr/bin/env bash
# Formats C++ sources with the root .clang-format.
#   tools/format.sh              formats every tracked source that drifts
#   tools/format.sh FILE...      formats only these files
#   tools/format.sh --check      changes nothing; lists each drifting file and
#                                fails if there is one (what CI runs)
# The layout is the one Debian 12's clang-format (14) writes; other versions
# break some lines differently.
set -euo pipefail
cd "$(dirname "$0")/.."

expected_major=14
if ! command -v clang-format >/dev/null 2>&1; then
  echo "format.sh: clang-format is missing (tools/setup.sh --checks installs it)" >&2
  exit 1
fi
major=$(clang-format --version | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p')
if [ "$major" != "$expected_major" ]; then
  echo "format.sh: clang-format $major here; the layout is clang-format $expected_major's," \
       "so lines may break differently" >&2
fi

check=0
files=()
for arg in "$@"; do
  case "$arg" in
    --check) check=1 ;;
    -*) echo "format.sh: unknown option $arg" >&2; exit 2 ;;
    *) files+=("$arg") ;;
  esac
done
if [ ${#files[@]} -eq 0 ]; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
fi

# One clang-format run per batch of files (a run per file is slow); the
# drifting files are the ones it reports. A run that fails without naming a
# drifting file failed for another reason, and says why.
report=$(mktemp)
trap 'rm -f "$report"' EXIT
runs_ok=1
printf '%s\0' "${files[@]}" |
  xargs -0 -P "$(nproc)" -n 100 clang-format --dry-run -Werror >"$report" 2>&1 || runs_ok=0
mapfile -t drifting < <(
  sed -n 's/^\(.*\):[0-9]*:[0-9]*: error: .*clang-format-violations.*/\1/p' "$report" | sort -u)
if [ "$runs_ok" = 0 ] && [ ${#drifting[@]} -eq 0 ]; then
  cat "$report" >&2
  echo "format.sh: clang-format failed" >&2
  exit 1
fi

if [ "$check" = 1 ]; then
  if [ ${#drifting[@]} -gt 0 ]; then
    echo "These files are not formatted; tools/format.sh formats them:" >&2
    printf '  %s\n' "${drifting[@]}" >&2
    exit 1
  fi
  echo "format.sh: ${#files[@]} files formatted as .clang-format says"
  exit 0
fi
for f in "${drifting[@]}"; do
  clang-format -i "$f"
  echo "formatted $f"
done
