# Sourced by the tools that run Windows programs: one wineserver for the
# whole session, ended when the sourcing script exits, so nothing that the
# programs start (a browser, explorer.exe) outlives it.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
"$here/tools/wine-prefix.sh" >/dev/null
wineserver -k 2>/dev/null || true  # a stale server of this prefix
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# The first Windows program starts Wine's background services, which inherit
# its output handles: start them here, bound to nothing a runner waits on.
"$here/tools/wine-run.sh" cmd /c exit 0 </dev/null >/dev/null 2>&1
# The desktop (explorer.exe) and COM's rpcss.exe likewise: the first program
# that opens a window or calls the shell would start them holding its output
# pipe, and its runner would wait on them until every other program ended.
"$here/tools/wine-run.sh" explorer /desktop </dev/null >/dev/null 2>&1 &
