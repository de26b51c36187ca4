#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks that it is there as a
# desktop program: the programs run from the prefix on their own libraries,
# the manual sits where F1 finds it, the icons are where the icon theme looks,
# and the desktop entry is valid and points at what was installed.
#   install_check.sh BUILD_DIR SOURCE_DIR GUI DIRVIGIL MAN   (GUI... ON or OFF)
set -euo pipefail
build=$1 src=$2 gui=$3 dirvigil=$4 man=$5
on() { case "$1" in ON|on|1|TRUE|true|YES|yes) return 0 ;; *) return 1 ;; esac; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/twinsift-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# A prefix with a blank in it: the rules must quote their paths.
prefix="$scratch/usr local"
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need_file() { [ -f "$prefix/$1" ] || fail "missing $1"; }
need_exe() { [ -f "$prefix/$1" ] && [ -x "$prefix/$1" ] || fail "missing or not executable: $1"; }

# Width and height from a PNG's header.
png_size() { od -An -j16 -N8 -tu1 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }

# Runs from the prefix with nothing of the build tree on its library path.
check_runs_alone() {
  local exe=$prefix/$1
  local libs
  libs=$(env -u LD_LIBRARY_PATH ldd "$exe")
  if grep -q 'not found' <<<"$libs"; then fail "$1 misses libraries:"; echo "$libs"; fi
  if grep -qF "$build" <<<"$libs"; then fail "$1 loads libraries from the build tree:"; echo "$libs"; fi
  # platrt, when the program needs it, is the installed one.
  if grep -q "libplatrt" <<<"$libs" && ! grep "libplatrt" <<<"$libs" | grep -qF "$prefix/"; then
    fail "$1 does not load platrt from the prefix"
  fi
}

need_exe bin/twinsift-cli
if [ -x "$prefix/bin/twinsift-cli" ]; then
  check_runs_alone bin/twinsift-cli
  out=$(printf 'a\nb\na\n' > "$prefix/in.txt" && env -u LD_LIBRARY_PATH "$prefix/bin/twinsift-cli" --count "$prefix/in.txt") \
    || fail "installed twinsift-cli does not run"
  [[ "${out:-}" == *"Loaded 3 lines"* ]] || fail "installed twinsift-cli --count gave '${out:-}'"
fi

if on "$dirvigil"; then
  need_file lib/Dirvigil.so
  need_file lib/libplatrt.so
  need_file include/dirvigil/dirvigil.h
  [ -f "$prefix/lib/Dirvigil.so" ] && ! env -u LD_LIBRARY_PATH ldd "$prefix/lib/Dirvigil.so" | grep -q 'not found' \
    || fail "installed Dirvigil does not find its libraries"
fi

if on "$gui"; then
  need_exe bin/twinsift
  [ -x "$prefix/bin/twinsift" ] && check_runs_alone bin/twinsift

  # F1 looks beside the program, then in ../share/twinsift: the installed one
  # must be the second, the build tree's the first.
  need_file share/twinsift/Help.html
  cmp -s "$src/data/Help.html" "$prefix/bin/../share/twinsift/Help.html" || fail "installed Help.html differs from data/Help.html"
  [ ! -e "$prefix/bin/Help.html" ] || fail "Help.html installed into bin/"
  cmp -s "$src/data/Help.html" "$build/src/app/Help.html" || fail "Help.html is not beside twinsift in the build tree"

  for n in 16 24 32 48 64 128 256; do
    icon=share/icons/hicolor/${n}x${n}/apps/twinsift.png
    need_file "$icon"
    [ -f "$prefix/$icon" ] && { size=$(png_size "$prefix/$icon"); [ "$size" = "${n}x${n}" ] || fail "$icon is $size"; }
  done
  need_file share/icons/hicolor/scalable/apps/twinsift.svg
  grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/twinsift.svg" 2>/dev/null || fail "scalable icon is no SVG"

  entry=$prefix/share/applications/twinsift.desktop
  need_file share/applications/twinsift.desktop
  if [ -f "$entry" ]; then
    if command -v desktop-file-validate >/dev/null; then
      desktop-file-validate "$entry" || fail "desktop-file-validate rejects twinsift.desktop"
    else
      fail "desktop-file-validate not installed (scripts/setup.sh installs it)"
    fi
    key() { sed -n "s/^$1=//p" "$entry"; }
    exec_line=$(key Exec)
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no installed program"
    [ "${exec_line#* }" = "%F" ] || fail "Exec=$exec_line does not take the files opened with it"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/$(key Icon).svg" ] || fail "Icon=$(key Icon) names no installed icon"
    mime=";$(key MimeType)"
    for t in text/plain \
      application/vnd.openxmlformats-officedocument.wordprocessingml.document \
      application/vnd.ms-word.document.macroEnabled.12 \
      application/vnd.openxmlformats-officedocument.wordprocessingml.template \
      application/vnd.ms-word.template.macroEnabled.12 \
      application/vnd.oasis.opendocument.text \
      application/vnd.openxmlformats-officedocument.spreadsheetml.sheet \
      application/vnd.ms-excel.sheet.macroEnabled.12 \
      application/vnd.openxmlformats-officedocument.spreadsheetml.template \
      application/vnd.ms-excel.template.macroEnabled.12 \
      application/vnd.oasis.opendocument.spreadsheet; do
      [[ $mime == *";$t;"* ]] || fail "MimeType lacks $t"
    done
  fi
else
  [ ! -e "$prefix/bin/twinsift" ] || fail "the desktop program was installed without the GUI build"
  [ ! -e "$prefix/share/applications" ] || fail "a desktop entry was installed without the desktop program"
fi

if on "$man"; then
  page=$prefix/share/man/man1/twinsift-cli.1
  need_file share/man/man1/twinsift-cli.1
  if [ -f "$page" ]; then
    # Every option of --help made it into the page.
    for opt in $(env -u LD_LIBRARY_PATH "$prefix/bin/twinsift-cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      grep -qF -- "${opt//-/\\-}" "$page" || fail "man page lacks $opt"
    done
    grep -q '^\.SH "EXIT STATUS"' "$page" || fail "man page lacks its EXIT STATUS section"
  fi
fi

[ "$failures" -eq 0 ] || { echo "$failures packaging check(s) failed"; exit 1; }
echo "OK: installed into a fresh prefix and checked"
