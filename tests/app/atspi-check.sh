#!/usr/bin/env bash
# Shows the window on a virtual display with Qt's accessibility bridge on, inside a private
# D-Bus session, and reads its tree over AT-SPI with tests/app/atspi_tree.py.
# Usage: atspi-check.sh WINDOW_PROGRAM READER_SCRIPT
# Exit 77 (skipped) only when the session or accessibility bus cannot be started.
set -uo pipefail
window=$1
reader=$2
python=/usr/bin/python3
[ -x "$python" ] || python=python3

missing=()
for tool in dbus-run-session xvfb-run "$python"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
    missing+=("gir1.2-atspi-2.0 and python3-gi")
if ((${#missing[@]})); then
    echo "missing: ${missing[*]} (scripts/install-deps.sh installs them)" >&2
    exit 1
fi

if [ -z "${INSIDE_ATSPI_SESSION:-}" ]; then
    runtime=$(mktemp -d)
    trap 'rm -rf "$runtime"' EXIT
    if ! XDG_RUNTIME_DIR="$runtime" dbus-run-session -- true 2>/dev/null; then
        echo "skipped: a private D-Bus session cannot be started here" >&2
        exit 77
    fi
    INSIDE_ATSPI_SESSION=1 XDG_RUNTIME_DIR="$runtime" exec dbus-run-session -- \
        xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

# Inside the session and the display.
if ! "$python" - <<'PY' 2>/dev/null; then
import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi
Atspi.get_desktop(0).get_child_count()
PY
    echo "skipped: the accessibility bus cannot be started here" >&2
    exit 77
fi

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
coproc WINDOW { exec "$window" 60; }
# Bash forgets WINDOW_PID once the window has ended, which it may do before we stop it.
window_pid=$WINDOW_PID
read -r -t 30 first <&"${WINDOW[0]}" || first=""
if [ "$first" != ready ]; then
    echo "the window did not start" >&2
    kill "$window_pid" 2>/dev/null
    exit 1
fi
"$python" "$reader"
status=$?
kill "$window_pid" 2>/dev/null
wait "$window_pid" 2>/dev/null
exit $status
