#!/usr/bin/env bash
# The batch command stands on the engine alone: neither it nor anything it
# loads may pull in the window toolkit. Checks the libraries it loads (ldd,
# which follows them down) and the symbols it carries.
set -euo pipefail
exe=$1
[ -x "$exe" ] || { echo "not an executable: $exe"; exit 1; }
libs=$(ldd "$exe")
echo "$libs"
if grep -qi 'libQt' <<<"$libs"; then
  echo "FAIL: $exe loads Qt"; exit 1
fi
if grep -q 'not found' <<<"$libs"; then
  echo "FAIL: $exe misses a library"; exit 1
fi
# A static piece of Qt would show in the symbols instead.
if nm -C "$exe" 2>/dev/null | grep -q ' Q[A-Z][A-Za-z]*::'; then
  echo "FAIL: $exe carries Qt symbols"; exit 1
fi
echo "OK: $exe links nothing of Qt"
