#!/usr/bin/env bash
# Checks from the include lines that lower layers never name upper ones:
#   - Lumivane's scene engine (desktop/scene) includes nothing of the units
#     (desktop/units), which register with it at start-up;
#   - Jentra's core (Jentra/core) includes nothing of the renderer: neither
#     Jentra/render/ nor the public headers of the renderer's classes (the
#     start-up that wires both lives above them, in Jentra/app/);
#   - LumivaneMenu (desktop_menu) includes only its own files, the platform
#     layer and Lumivane's shell library.
# Prints every offending line and fails when there is one.
# Usage: tools/check-includes.sh [source root]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# The public headers whose classes the renderer implements.
render_headers='JTCamera|JTDisplay|JTEffect|JTEffects|JTFont|JTMesh|JTRenderer|JTShadowPass|JTTexture|JTView'

failed=0

# The quoted include lines ("file:line: #include "path"") of the C++ files
# below a folder.
includes() {
  grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$1" ||
    true
}

report() {
  local rule="$1" lines="$2"
  if [ -n "$lines" ]; then
    printf 'check-includes: %s\n%s\n' "$rule" "$lines" >&2
    failed=1
  fi
}

# Fails for includes of the folder whose path matches `forbidden`.
forbid() {
  report "$1 must not include $3" "$(includes "$1" | grep -E "include[[:space:]]*\"($2)" || true)"
}

# Fails for includes of the folder whose path matches none of `allowed`.
allow_only() {
  report "$1 may include only $3" "$(includes "$1" | grep -vE "include[[:space:]]*\"($2)" || true)"
}

forbid desktop/scene 'desktop/units/' 'the units (desktop/units)'
forbid Jentra/core "Jentra/render/|Jentra/(${render_headers})\\.h\"" 'the renderer'
allow_only desktop_menu 'desktop_menu/|platform/|desktop/app/shell/|desktop/shell/' \
  'its own files, platform/ and the shell library'

exit "$failed"
