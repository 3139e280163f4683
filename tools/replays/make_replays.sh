#!/usr/bin/env bash
# Plans every replay under replays/ again from its plan in tools/replays/plans/ (after a
# change to the maps or to how the game plays), then plays each one to check it.
# Needs a display or xvfb-run; the large levels take some minutes each.
# Usage: tools/replays/make_replays.sh [plan-name ...]
set -euo pipefail
cd "$(dirname "$0")/../.."
dir="${NULLVANE_BUILD_DIR:-build-tools}"
NULLVANE_BUILD_DIR="$dir" scripts/build -DNULLVANE_TESTS=ON -DNULLVANE_TOOLS=ON
export ALSOFT_DRIVERS=null
run=(); [ -z "${DISPLAY:-}" ] && run=(xvfb-run -a -s "-screen 0 1920x1080x24 -noreset")
names=("$@")
[ ${#names[@]} -eq 0 ] && names=($(ls tools/replays/plans | sed 's/\.plan$//'))
mkdir -p replays
for name in "${names[@]}"; do
  echo "== $name"
  "${run[@]}" "$dir/tools/replays/plan_replay" "tools/replays/plans/$name.plan" "replays/$name.txt" | grep '^plan:'
  "${run[@]}" "$dir/nullvane" --replay "replays/$name.txt" | grep '^replay'
done
