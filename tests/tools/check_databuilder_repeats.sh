#!/usr/bin/env bash
# The data builder writes the same bytes on a first build into an empty
# folder as on a build over what it wrote before: no step may depend on what
# an earlier build left behind (a scene saved before the prototypes it names
# were written, sounds gathered before the scenes that play them).
# Usage: check_databuilder_repeats.sh <databuilder> <data sources>
set -euo pipefail
builder=$1
sources=$2
work=$(mktemp -d /tmp/databuilder_repeats.XXXXXX)
trap 'rm -rf "$work"' EXIT
"$builder" --data "$sources" --out "$work/out" > "$work/first.log" 2>&1
cp -a "$work/out" "$work/first"
"$builder" --data "$sources" --out "$work/out" > "$work/second.log" 2>&1
if ! diff -rq "$work/first" "$work/out"; then
  echo "FAIL: a second build over the first wrote other data" >&2
  exit 1
fi
echo "a first build and a second one over it wrote the same $(find "$work/out" -type f | wc -l) files"
