#!/usr/bin/env bash
# Configures a build folder of this checkout: cmake -S <checkout> -B DIR [CMAKE ARGS...],
# with the project's warnings as errors (WARNINGS_AS_ERRORS).
# A build folder is only a cache. When its CMakeCache.txt was made for another source
# folder (the checkout was moved or copied with its build/), CMake would stop with "The
# current CMakeCache.txt directory ... is different": the folder is removed, with a note,
# and made afresh.
# usage: configure.sh DIR [CMAKE ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
dir=${1:?usage: configure.sh DIR [CMAKE ARGS...]}
shift
cache="$dir/CMakeCache.txt"
if [[ -f "$cache" ]]; then
  made_for=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  if [[ "$(realpath -m "$made_for")" != "$root" ]]; then
    echo "configure: $dir was configured for the sources in $made_for, not $root;" \
         "removing it and configuring afresh"
    rm -rf "$dir"
  fi
fi
# A toolchain file given again to a configured folder is ignored; CMake need not say so.
# The project's own builds treat warnings as errors.
cmake --no-warn-unused-cli -S "$root" -B "$dir" -DWARNINGS_AS_ERRORS=ON "$@" >/dev/null
