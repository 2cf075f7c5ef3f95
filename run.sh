#!/usr/bin/env bash
# Sets up and builds everything, then runs the project's main job.
set -euo pipefail
source "$(dirname "$0")/tools/build-env.sh"
cd "$LUMORA_ROOT"

lumora_install_packages
lumora_configure build/normal -DLUMORA_WERROR=ON
lumora_build build/normal
lumora_link_bin

echo
echo "Tools (in build/bin):"
for tool in build/bin/*; do
  [ -f "$tool" ] && [ -x "$tool" ] && echo "  $(basename "$tool")"
done
