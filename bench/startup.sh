#!/usr/bin/env bash
# Times the program from process start to its main window shown, with an empty survey, on a
# fresh home (first start: data directory seeded, templates written, file type registered) and
# again on the same home (a normal start). Usage: bench/startup.sh [build-folder] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-5}"
program="$build/src/app/orvalle"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" ORVALLE_STARTUP_PROBE=1

run() {
  local start end out shown
  start=$(( $(date +%s%N) / 1000000 ))
  out="$("$program" 2>/dev/null)"
  end=$(( $(date +%s%N) / 1000000 ))
  shown="${out##* at }"; shown="${shown%% ms*}"
  echo "  process start to main window shown: $(( shown - start )) ms (${out%%,*}); to exit: $(( end - start )) ms"
}

echo "first start:"
run
for i in $(seq 1 "$runs"); do
  echo "start $i:"
  run
done
