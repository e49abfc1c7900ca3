#!/usr/bin/env bash
# report.html of the golden case opened once in headless Chromium: it renders, with
# no network, into a screenshot (WORK/report.png, the one in ADMIN.md), and the page
# refers to nothing outside itself (no script, no file or address it would load).
# usage: browser_test.sh CSRECONCILE WORK
set -uo pipefail
tool=$(realpath "$1") work=$(realpath -m "$2")
data=$(cd "$(dirname "$0")/../data/reconcile" && pwd)
source "$(dirname "$0")/../release/checks.sh"
rm -rf "$work" && mkdir -p "$work"
(cd "$data" && "$tool" journals --month 2026-12 --gateway settlement.csv \
   --gateway-columns terminal=TID,sequence=Seq,code=RC --out "$work/out" >/dev/null 2>&1)
page="$work/out/report.html"
check "report.html written" [ -s "$page" ]
loads=$(grep -oiE '<script|<link|<img|<iframe|src=|href=|url\(|@import' "$page" | sort -u | tr '\n' ' ')
expect_eq "what the page would load" "" "$loads"

browser=$(command -v chromium || command -v chromium-browser)
check "Chromium is installed (scripts/debian-packages.txt)" [ -n "$browser" ]
width=1000 height=1500
timeout 120 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --window-size=$width,$height --hide-scrollbars \
  --screenshot="$work/report.png" "file://$page" >"$work/chromium.log" 2>&1
check "Chromium's screenshot (log: $work/chromium.log)" [ -s "$work/report.png" ]
# A page that rendered has text, tables and the chart: many colours, not a blank one.
read -r w h colours < <(identify -format '%w %h %k\n' "$work/report.png" 2>/dev/null || echo "0 0 0")
expect_eq "screenshot size" "$width $height" "$w $h"
check "the screenshot has $colours colours: not a rendered page" [ "${colours:-0}" -gt 50 ]
finish "report in a browser"
