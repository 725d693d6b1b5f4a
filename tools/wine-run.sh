#!/usr/bin/env bash
# Runs a Windows program under the test run's Wine prefix, never blocking on
# a dialog or a download prompt.
set -eu
. "$(dirname "$0")/wine-env.sh"
[ -f "$WINEPREFIX/system.reg" ] || "$here/tools/wine-prefix.sh" >/dev/null
exec wine "$@"
