#!/usr/bin/env bash
# Builds Free Pascal's i386-win32 cross compiler from Debian's fpc source
# package, with Debian's own compiler, and the few RTL units a library needs
# (system, sysinitpas, fpintres, objpas). Free Pascal links Windows DLLs with
# its internal linker: no other tool is needed. About ten seconds.
#   build-fpc-cross.sh CACHE      makes CACHE/fpc-i386-win32/{ppcross386,units}
set -euo pipefail

cache=$1
out="$cache/fpc-i386-win32"
[ -x "$out/ppcross386" ] && [ -f "$out/units/system.ppu" ] && exit 0

work="$cache/fpc-src"
rm -rf "$work" "$out"
mkdir -p "$work/download" "$out/units" "$out/compiler-units"
if id _apt >/dev/null 2>&1; then chown _apt "$work/download"; fi
(cd "$work/download" && apt-get source -qq --download-only fpc)
orig=$(ls "$work"/download/fpc_*.orig.tar.* | head -n 1)
tar -xf "$orig" -C "$work" --wildcards '*/fpcsrc/compiler/*' '*/fpcsrc/rtl/*'
src=$(ls -d "$work"/*/fpcsrc)

native=$(dirname "$(ls /usr/lib/x86_64-linux-gnu/fpc/*/units/x86_64-linux/rtl/system.ppu | head -n 1)")
(cd "$src/compiler" &&
  ppcx64 -n -O2 -Xs -Sg -vq0 -Fu"$native" -Fu"$native/../rtl-objpas" -Fux86 -Fui386 -Fusystems \
    -Fii386 -Fix86 -Fisystems -di386 -dGDB -FE"$out" -FU"$out/compiler-units" pp.pas -o"$out/ppcross386" >/dev/null)

cross=("$out/ppcross386" -n -Twin32 -Pi386 -O2 -vq0 -Fi../inc -Fi../i386 -Fi../win -Fi../x86 -Fi. -Fi../objpas
       -Fu../inc -Fu../win -Fu../objpas -FU"$out/units" -FE"$out/units")
(cd "$src/rtl/win32" &&
  "${cross[@]}" -Us -Sg system.pp >/dev/null &&
  "${cross[@]}" sysinitpas.pp >/dev/null &&
  "${cross[@]}" ../inc/fpintres.pp >/dev/null &&
  "${cross[@]}" ../objpas/objpas.pp >/dev/null)

rm -rf "$work" "$out/compiler-units"
[ -f "$out/units/system.ppu" ]
