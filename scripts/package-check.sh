#!/usr/bin/env bash
# Checks the Debian package as a user gets it: builds it, unpacks it into a scratch root, starts
# the unpacked program offscreen until its main window is up, ends it with SIGTERM and expects a
# clean exit with its settings saved, runs ombrex-tool --help, validates the AppStream file and
# runs lintian (errors fail, warnings are shown).
#
#   scripts/package-check.sh [BUILD_DIR]     (BUILD_DIR defaults to ./build, already built)
set -euo pipefail

build_dir=$(cd "${1:-build}" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/ombrex-package-XXXXXX")
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill -KILL "$program_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "package-check: $*" >&2
    exit 1
}

echo "package-check: building the package"
rm -f "$build_dir"/ombrex_*.deb
if ! cmake --build "$build_dir" --target package >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "the package did not build"
fi
debs=("$build_dir"/ombrex_*.deb)
[ -f "${debs[0]}" ] || fail "no ombrex_*.deb in $build_dir"
deb=${debs[0]}

# The runtime dependencies come from the binaries, not from a hand-kept list.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6widgets6 libchm1; do
    [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done

root="$scratch/root"
dpkg -x "$deb" "$root"
lib="$root/usr/lib/ombrex"
for f in "$lib/ombrex" "$lib/ombrex-tool" "$lib/Ombrex 2.chm" "$lib/Hyetra Report.xltx" \
    "$root/usr/bin/ombrex" "$root/usr/bin/ombrex-tool" \
    "$root/usr/share/applications/ombrex.desktop" \
    "$root/usr/share/icons/hicolor/scalable/apps/ombrex.svg" \
    "$root/usr/share/icons/hicolor/48x48/apps/ombrex.png" \
    "$root/usr/share/doc/ombrex/copyright" "$root/usr/share/doc/ombrex/changelog.Debian.gz" \
    "$root/usr/share/man/man1/ombrex.1.gz"; do
    [ -e "$f" ] || fail "the package lacks ${f#"$root"}"
done
metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || fail "the package lacks its AppStream metainfo file"

# A user who has started it before: the first-start question about the logger model is answered.
home="$scratch/home"
mkdir -p "$home/config/Pluvatec" "$home/share" "$home/run"
chmod 700 "$home/run"
printf '[Settings]\nLogger=2\n' >"$home/config/Pluvatec/Ombrex2.conf"
settings="$home/config/Pluvatec/Ombrex2.conf"
helplog="$home/config/Pluvatec/Ombrex2-help.log"

echo "package-check: starting the unpacked program"
# -debug makes the program log, at its start, the help file it found beside itself.
(cd "$home" && exec env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/share" \
    XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen \
    "$root/usr/bin/ombrex" -debug >"$scratch/ombrex.log" 2>&1) &
program_pid=$!
for _ in $(seq 1 100); do
    grep -q "log started" "$helplog" 2>/dev/null && break
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
done
if ! grep -q "log started" "$helplog" 2>/dev/null; then
    cat "$scratch/ombrex.log" >&2
    fail "the program did not start"
fi
grep -qF "$lib/Ombrex 2.chm" "$helplog" || fail "the program did not look for its help file in $lib"
# The main window shows first, then the start-up screen for two seconds.
sleep 3
kill -0 "$program_pid" 2>/dev/null || fail "the program ended by itself: $(cat "$scratch/ombrex.log")"
kill -TERM "$program_pid"
status=
for _ in $(seq 1 50); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid" && status=0 || status=$?
        break
    fi
    sleep 0.2
done
[ -n "$status" ] || fail "the program did not end within 10 s of SIGTERM"
program_pid=
[ "$status" -eq 0 ] || fail "the program ended with $status after SIGTERM: $(cat "$scratch/ombrex.log")"
# Its main window closed the way a user closes it: the window's place is saved.
grep -q '^\[Window%20Settings\]' "$settings" || fail "the main window did not save its settings"

echo "package-check: ombrex-tool --help"
"$root/usr/bin/ombrex-tool" --help >"$scratch/tool.log" 2>&1 || fail "ombrex-tool --help failed"
grep -q "^Usage: ombrex-tool" "$scratch/tool.log" || fail "ombrex-tool --help: $(cat "$scratch/tool.log")"

echo "package-check: appstreamcli validate"
appstreamcli validate --no-net "${metainfo[0]}"

echo "package-check: lintian"
lintian_status=0
lintian --fail-on error "$deb" >"$scratch/lintian.log" 2>&1 || lintian_status=$?
grep -v "running with root privileges" "$scratch/lintian.log" || true
[ "$lintian_status" -eq 0 ] || fail "lintian reports errors"

echo "package-check: $(basename "$deb") installs, starts and ends cleanly"
