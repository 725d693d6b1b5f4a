#!/usr/bin/env bash
# Runs a Windows program under the test run's Wine prefix, never blocking on
# a dialog or a download prompt.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${MD_WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
[ -f "$WINEPREFIX/system.reg" ] || "$here/tools/wine-prefix.sh" >/dev/null
exec wine "$@"
