#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and runs the installed programs from another folder:
# the host answers --version and --help without a display, refuses an unknown option, and the
# command-line program finds its modules and the product folder through the bin/ launcher.
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

cd /
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
[[ -x "$prefix/lib/kestrelvine/kestrelvine" ]] || fail "no host under lib/kestrelvine"
[[ -f "$prefix/lib/kestrelvine/sys/soft/Kestrelvine Converter/config.xml" ]] || fail "no product folder"
version="$("$prefix/bin/kestrelvine" --version)"
[[ "$version" == "Kestrelvine Converter 1.0.0" ]] || fail "--version said '$version'"
help="$("$prefix/bin/kestrelvine" --help)"
[[ "$help" == "Usage: kestrelvine "* ]] || fail "--help said '$help'"
status=0
"$prefix/bin/kestrelvine" --no-such-option 2>/dev/null || status=$?
[[ $status -eq 2 ]] || fail "an unknown option ended with $status"
profiles="$("$prefix/bin/kestrelvine-cli" --list-profiles)"
[[ "$profiles" == *"HD MP4 1080p (H.264 + AAC)"* ]] || fail "the installed command line has no catalogue"
echo "installed into $prefix and ran from /"
