#!/usr/bin/env bash
# Turns the screenshots that the Win32 tests save as BMP (dialog_driver's
# SaveWindowBitmap) into PNG files beside them, and lists them.
# usage: screenshots_to_png.sh DIR
set -euo pipefail
dir=${1:?usage: screenshots_to_png.sh DIR}
shopt -s nullglob
for shot in "$dir"/*.bmp; do
  convert "$shot" "${shot%.bmp}.png"
  rm "$shot"
done
for png in "$dir"/*.png; do echo "screenshot: $png"; done
