#!/usr/bin/env bash
# Turns the BMP screenshots the Win32 dialog tests leave in DIR (build/win32/shots) into
# PNG files beside them, and removes the BMPs. Nothing to convert is not an error: a
# filtered run may take no screenshot.
# usage: convert_shots.sh DIR
set -euo pipefail
dir=${1:?usage: convert_shots.sh DIR}
[[ -d "$dir" ]] || exit 0
shopt -s nullglob
for shot in "$dir"/*.bmp; do
  convert "$shot" "${shot%.bmp}.png"
  rm "$shot"
  echo "screenshot: ${shot%.bmp}.png"
done
