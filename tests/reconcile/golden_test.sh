#!/usr/bin/env bash
# The golden case (tests/data/reconcile): three stations' journals with every kind of
# item, a side file, an older copy of one file whose last line is cut off, a live file
# cut off with no copy, a malformed line and a settlement with its own column names.
# The CSV files, the summary and the notes must be byte for byte the expected ones.
# usage: golden_test.sh CSRECONCILE WORK [--write]   (--write takes the outputs as expected)
set -uo pipefail
tool=$(realpath "$1") work=$(realpath -m "$2")
data=$(cd "$(dirname "$0")/../data/reconcile" && pwd)
rm -rf "$work" && mkdir -p "$work"
status=0
(cd "$data" && "$tool" journals --month 2026-12 --gateway settlement.csv \
   --gateway-columns terminal=TID,sequence=Seq,code=RC --out "$work/out" >"$work/out.txt" 2>"$work/err.txt") || status=$?
{ echo "exit $status"; sed "s|$work/||" "$work/out.txt"; cat "$work/err.txt"; } >"$work/output.txt"
cp "$work/output.txt" "$work/out/output.txt"
if [[ ${3:-} == --write ]]; then
  cp "$work"/out/*.csv "$work/out/output.txt" "$data/expected/"
  exit 0
fi
failed=0
for name in in-doubt.csv totals.csv numbering.csv match.csv output.txt; do
  if ! diff -u "$data/expected/$name" "$work/out/$name"; then
    echo "FAIL: $name differs from tests/data/reconcile/expected/$name"
    failed=1
  fi
done
[[ -s "$work/out/report.html" ]] || { echo "FAIL: no report.html"; failed=1; }
[[ $failed -eq 0 ]] && echo "golden case: 5 outputs as expected"
exit $failed
