#!/usr/bin/env bash
# The demo's mdhost steps, on a plugins folder of its own: copies of the
# release's ModuleDetails.lmd and of the build's demo plugins (rule examples
# under names of their own) in a scratch folder, which goes afterwards.
# Nothing under build/ or the sources changes, and every path printed is
# relative to the scratch folder, so a second run prints what the first did
# (but for the memory measured). Runs in a Wine session (tools/demo.sh, or
# tools/wine-session.sh sourced).
#   demo_steps.sh [DIST_DIR [DEMO_PLUGINS_DIR]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dist=$(cd "${1:-$here/dist}" && pwd)
plugins=$(cd "${2:-$here/build/win32/demo_plugins}" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/moduledetails-demo.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
mkdir -p ModuleDetails plugins/old/Greeter
cp "$dist/ModuleDetails/ModuleDetails.lmd" ModuleDetails/
cp "$here/examples/get_info.lua" .
for name in Greeter Crasher Sleeper Hoarder Scribbler; do
  mkdir -p "plugins/$name" && cp "$plugins/$name.lmd" "plugins/$name/"
done
cp "$plugins/Greeter.lmd" plugins/old/Greeter/  # an old copy left in another folder
mdhost() { "$here/tools/wine-run.sh" "$dist/mdhost/mdhost.exe" "$@"; }
say() { printf '\n== %s\n' "$1"; [ -z "${2:-}" ] || printf '%s\n' "$2" | fold -s -w 78; }

say "The plugin describes itself (mdhost info ModuleDetails\\ModuleDetails.lmd)"
mdhost info 'ModuleDetails\ModuleDetails.lmd'

say "A script asks GetInfo of a plugin and of a path with none (mdhost run ... get_info.lua)" \
  "ModuleDetails runs inside the host; mdhost runs the script in a worker, as the host would run it."
mdhost run 'ModuleDetails\ModuleDetails.lmd' get_info.lua 'plugins\Greeter\Greeter.lmd' 'no\such\plugin.lmd' ||
  echo "(mdhost exit code: $?: the script's last line raises on purpose)"

say "An author's plugins folder, read as the host reads it (mdhost scan --timeout 2 plugins)" \
  "Greeter is right. Crasher crashes in its name getter (MD003), in a worker of its own, and the scan goes on. \
Scribbler's action document is not well-formed (MD301). An old copy of Greeter left in another folder has the \
same name and action table as the new one (MD601, MD602): the host would show both alike and register one over \
the other."
mdhost scan --timeout 2 plugins || echo "(mdhost exit code: $?)"

say "The same folder held to the whole contract (mdhost check --quiet --timeout 2 plugins)" \
  "check also calls each getter with sizes the host never offers and loads each plugin 200 times more: Sleeper \
never answers at size 0 (MD004, stopped after 2 s), Hoarder keeps 16 KiB of the host's memory per load (MD501, a \
warning that fails with --strict). --quiet shows only what warns or fails."
mdhost check --quiet --timeout 2 plugins || echo "(mdhost exit code: $?)"

say "A rule's page: what it checks, why it matters in the host, the fix (mdhost explain MD501)"
mdhost explain MD501 | head -n 12
echo "..."
