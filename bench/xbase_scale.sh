#!/usr/bin/env bash
# The table engine at scale, with SQLite on the same data in the same run (by hand, not in CI):
#   bench/xbase_scale.sh BUILD_DIR [RECORDS]
# Builds a RECORDS-response table of a 56-question survey (default 1,000,000) and measures, each in
# a process of its own under /usr/bin/time -v (peak memory of the whole process):
#   open + one e-mail seek;  a merge of 100 new responses with the duplicate checks;
#   merges of 10,000, 100,000 and 400,000 responses into an empty table (SKIP_EMPTY=1 leaves them out).
set -euo pipefail
build="${1:?usage: $0 BUILD_DIR [RECORDS]}"
records="${2:-1000000}"
bench="$build/bench/xbase_bench"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
run() { # label, command...
  local label="$1"; shift
  /usr/bin/time -v "$@" 2>"$dir/time" | sed "s/^/  /"
  echo "  $label: peak $(awk '/Maximum resident/ {printf "%.1f MB", $6/1024}' "$dir/time")"
}
"$bench" --make-responses "$dir" "$records"
ls -l "$dir"/responses.*
sync
for side in "" --sqlite; do
  run "open+seek ${side:-engine}" "$bench" --open-seek "$dir" 777 $side
  run "open+seek again ${side:-engine}" "$bench" --open-seek "$dir" $((records * 3 / 7)) $side
  run "merge 100 ${side:-engine}" "$bench" --merge "$dir" 100 "$records" $side
done
[ -n "${SKIP_EMPTY:-}" ] && exit 0
for n in 10000 100000 400000; do
  for side in "" --sqlite; do
    mkdir -p "$dir/e$n$side"
    run "merge $n into empty ${side:-engine}" "$bench" --merge-empty "$dir/e$n$side" "$n" $side
  done
  rm -rf "$dir"/e*
done
