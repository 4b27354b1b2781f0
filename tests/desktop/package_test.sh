#!/usr/bin/env bash
# Builds the Debian package from the build folder and reads it back: it installs under /usr only, holds
# the programs, modules, product folder, menu entry, metainfo and icons and nothing of the tests, its
# dependencies were computed from the binaries, and the programs unpacked from it run from another
# folder.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}
cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null
shopt -s nullglob
packages=("$work"/kestrelvine_*_*.deb)
[[ ${#packages[@]} -eq 1 ]] || fail "expected one kestrelvine_<version>_<arch>.deb, found ${#packages[@]}"
deb="${packages[0]}"

[[ "$(dpkg-deb -f "$deb" Package)" == kestrelvine ]] || fail "package name"
depends="$(dpkg-deb -f "$deb" Depends)"
# From dpkg-shlibdeps: the libraries the binaries link, with their versions.
for library in libavcodec libavformat libswscale libqt6core6 libqt6widgets6 libpugixml libsdl2 libc6; do
  [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[[ "$depends" == *"libc6 (>= "* ]] || fail "Depends has no computed versions: $depends"
# Loaded at run time only.
[[ "$depends" == *qt6-qpa-plugins* ]] || fail "Depends lacks the window-system plugins: $depends"

listing="$work/listing"
dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' > "$listing"
if grep -v -E '^\./usr/' "$listing" | grep -v -x -F './'; then
  fail "files outside /usr"
fi
if grep -E -i 'test|faulty|fuzz|bench|/usr/local/' "$listing"; then
  fail "something of the tests or a local path is packaged"
fi
for path in ./usr/lib/kestrelvine/kestrelvine ./usr/lib/kestrelvine/kestrelvine-cli \
  ./usr/lib/kestrelvine/kestrelvine-worker ./usr/lib/kestrelvine/plugins/libffengine.so \
  "./usr/lib/kestrelvine/sys/soft/Kestrelvine Converter/config.xml" \
  ./usr/share/applications/com.tolvermax.KestrelvineConverter.desktop \
  ./usr/share/metainfo/com.tolvermax.KestrelvineConverter.metainfo.xml \
  ./usr/share/icons/hicolor/48x48/apps/com.tolvermax.KestrelvineConverter.png; do
  grep -q -x -F "$path" "$listing" || fail "the package lacks $path"
done
grep -q -x -F './usr/bin/kestrelvine -> ../lib/kestrelvine/kestrelvine' "$listing" ||
  fail "no relative bin/kestrelvine launcher"

dpkg-deb -x "$deb" "$work/root"
cd /
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
version="$("$work/root/usr/bin/kestrelvine" --version)"
[[ "$version" == "Kestrelvine Converter $(dpkg-deb -f "$deb" Version)" ]] || fail "--version said '$version'"
profiles="$("$work/root/usr/bin/kestrelvine-cli" --list-profiles)"
[[ "$profiles" == *"HD MP4 1080p (H.264 + AAC)"* ]] || fail "the packaged command line has no catalogue"
echo "built $(basename "$deb"), read it back and ran it"
