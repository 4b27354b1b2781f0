#!/usr/bin/env bash
# Installs the built tree into a temporary prefix and runs the installed programs from another folder:
# the host answers --version and --help without a display, refuses an unknown option, and the
# command-line program finds its modules and the product folder through the bin/ launcher. The desktop
# entry and the AppStream file pass their validators, and the icon is there in the theme's sizes.
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
entry="$prefix/share/applications/com.tolvermax.KestrelvineConverter.desktop"
metainfo="$prefix/share/metainfo/com.tolvermax.KestrelvineConverter.metainfo.xml"
desktop-file-validate "$entry" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate"
grep -q '^Exec=kestrelvine %F$' "$entry" || fail "the entry's Exec line"
for size in 16 32 48 256; do
  [[ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/com.tolvermax.KestrelvineConverter.png" ]] ||
    fail "no ${size}x${size} icon"
done
echo "installed into $prefix and ran from /"
