#!/usr/bin/env bash
# The program and libkelvane parse no outside files themselves: neither
# holds nor needs a Poppler or libheif symbol (kelvane-preview does that),
# and the program loads libkelvane at run time only.
# Usage: linked_symbols.sh PROGRAM LIBKELVANE
set -euo pipefail
status=0
for binary in "$@"; do
  if nm -D "$binary" | grep -Ei 'poppler|heif_'; then
    echo "$binary has Poppler or libheif symbols"; status=1
  fi
  if readelf -d "$binary" | grep NEEDED | grep -Ei 'poppler|heif'; then
    echo "$binary needs Poppler or libheif"; status=1
  fi
done
if readelf -d "$1" | grep NEEDED | grep -i kelvane; then
  echo "$1 links libkelvane"; status=1
fi
exit "$status"
