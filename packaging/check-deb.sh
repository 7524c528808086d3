#!/usr/bin/env bash
# Builds the Debian package from a configured, built build folder and checks what it holds:
# the programs, the manual, the desktop entry, the icons, the AppStream metadata and the
# declared dependencies. With --install (as root) it also installs the package with apt-get,
# converts a workbook and starts the window under Xvfb from the installed files, checks that
# the state files go to ~/.config/Quillmere, and removes the package again.
#   bash packaging/check-deb.sh BUILD-DIR [--install]
set -euo pipefail
build=$(realpath "${1:?usage: check-deb.sh BUILD-DIR [--install]}")
install=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
app=app.quillmere.Quillmere
fail() { echo "check-deb: $*" >&2; exit 1; }

rm -f "$build"/quillmere_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/quillmere_*.deb)
echo "check-deb: built $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
    ./usr/bin/quillmere ./usr/bin/quillmere-batch
    ./usr/lib/quillmere/quillmere ./usr/lib/quillmere/quillmere-host
    ./usr/lib/quillmere/quillmere-batch ./usr/lib/quillmere/help
    ./usr/share/quillmere/help/index.html ./usr/share/quillmere/help/window.png
    "./usr/share/applications/$app.desktop" "./usr/share/metainfo/$app.metainfo.xml"
    "./usr/share/icons/hicolor/scalable/apps/$app.svg"
)
for size in 16 22 24 32 48 64 128 256 512; do
    expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/$app.png")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
# libxml2 is not among them: the host links it in from its archive.
for package in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins libzip4 fonts-liberation; do
    grep -q "\b$package\b" <<<"$depends" || fail "the package does not depend on $package"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
[ "$(readlink "$unpacked/usr/lib/quillmere/help")" = ../../share/quillmere/help ] ||
    fail "the manual is not linked into the program folder"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$unpacked/usr/share/applications/$app.desktop"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$unpacked/usr/share/metainfo/$app.metainfo.xml" >/dev/null
fi
grep -q '^MimeType=.*application/vnd.openxmlformats-officedocument.spreadsheetml.sheet;' \
    "$unpacked/usr/share/applications/$app.desktop" || fail "the desktop entry lacks .xlsx"
echo "check-deb: contents, dependencies, desktop entry and metadata are as expected"

[ "$install" = --install ] || exit 0
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null 2>&1
trap 'apt-get remove -y -qq quillmere >/dev/null; rm -rf "$unpacked"' EXIT
home=$(mktemp -d)
quillmere-batch --version
workbook="$here/../../shared/corpus/xlsx/edr-TestMultiSheet.xlsx"
if [ -f "$workbook" ]; then
    HOME="$home" quillmere-batch -q -o "$home/out" "$workbook"
    [ -f "$home/out/edr-TestMultiSheet/Sheet1.htm" ] || fail "the installed batch wrote no page"
fi
# The window must come up as the main window (664 pixels wide at 96 dpi), not as a start-up
# error box of the same program.
window='"Quillmere": ("quillmere" "Quillmere")  664x'
HOME="$home" XDG_CONFIG_HOME= WINDOW="$window" xvfb-run -a bash -c '
    quillmere 2>/dev/null & pid=$!
    for _ in $(seq 50); do
        xwininfo -root -tree 2>/dev/null | grep -qF "$WINDOW" && break
        sleep 0.2
    done
    xwininfo -root -tree | grep -qF "$WINDOW"; shown=$?
    kill $pid; wait $pid 2>/dev/null
    exit $shown' || fail "the installed window did not come up"
[ -d "$home/.config/Quillmere" ] || fail "the state folder is not ~/.config/Quillmere"
[ ! -e /usr/lib/quillmere/EXCEL.txt ] || fail "state was written into the program folder"
rm -rf "$home"
echo "check-deb: installed, converted a workbook and started the window under Xvfb"
