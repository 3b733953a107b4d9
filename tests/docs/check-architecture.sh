#!/usr/bin/env bash
# docs/ARCHITECTURE.md names every library the build makes under src/, each with the folder it
# is built from, and names no library the build does not make.
set -euo pipefail
root=$1
doc="$root/docs/ARCHITECTURE.md"
built=$(grep -rhoE 'add_library\((kestrel_[a-z_]+)' "$root/src" | sed 's/add_library(//' | sort -u)
named=$(grep -oE '`kestrel_[a-z_]+`' "$doc" | tr -d '`' | sort -u)
status=0
for lib in $built; do
  if ! grep -qE "^\| \`$lib\`" "$doc"; then
    echo "docs/ARCHITECTURE.md has no row for $lib"
    status=1
  fi
done
for lib in $named; do
  if ! grep -qx "$lib" <<<"$built"; then
    echo "docs/ARCHITECTURE.md names $lib, which the build does not make"
    status=1
  fi
done
exit $status
