#!/usr/bin/env bash
# Peak memory of the table engine while it scans a large table (by hand, not in CI):
#   bench/xbase_scan_memory.sh BUILD_DIR [RECORDS]
# Writes a table of RECORDS records of about 1 KB (default 2,100,000: a little over 2 GB) in a
# temporary folder, then counts with a filter and walks every record under /usr/bin/time -v.
set -euo pipefail
build="${1:?usage: $0 BUILD_DIR [RECORDS]}"
records="${2:-2100000}"
bench="$build/bench/xbase_bench"
[ -x "$bench" ] || bench="$build/xbase_bench"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT
"$bench" --make-table "$dir/big.dbf" "$records"
ls -l "$dir/big.dbf"
/usr/bin/time -v "$bench" --scan "$dir/big.dbf" 2>&1 | grep -E "records|Maximum resident|Elapsed"
