#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine, as root.
# Idempotent: does nothing but quick checks when everything is present.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${MD_CACHE:-/var/cache/moduledetails}
export DEBIAN_FRONTEND=noninteractive

need_pkgs=(cmake make ninja-build g++ gcc-mingw-w64-i686-win32 g++-mingw-w64-i686-win32
           wine wine32:i386 liblua5.1-0-dev libxml2-utils dpkg-dev valgrind
           clang libclang-rt-14-dev lld llvm golang-go fp-compiler-3.2.2 python3 googletest libexpat1-dev
           nlohmann-json3-dev libtomlplusplus-dev cmark-gfm chromium fonts-dejavu-core clang-format git
           locales lua-check lua5.1)

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }

missing=()
for p in "${need_pkgs[@]}"; do have_pkg "$p" || missing+=("$p"); done
# npm, for the SARIF validator (a test tool), unless a Node.js install has it.
command -v npm >/dev/null || missing+=(npm)

# Source entries: copy the configured binary entries with the type changed,
# so no archive host name is ever written by us.
src_list=/etc/apt/sources.list.d/moduledetails-src.sources
need_update=0
if [ ! -f "$src_list" ]; then
  for f in /etc/apt/sources.list.d/debian.sources; do
    [ -f "$f" ] && sed 's/^Types: *deb$/Types: deb-src/' "$f" >"$src_list"
  done
  if [ ! -f "$src_list" ] && [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      >/etc/apt/sources.list.d/moduledetails-src.list
    touch "$src_list"
  fi
  need_update=1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi
if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ] || [ ! -f "$cache/lua-5.1.5/src/lua.h" ] ||
   [ ! -f "$cache/expat/lib/expat.h" ] || [ ! -x "$cache/fpc-i386-win32/ppcross386" ]; then
  # A mirror caught mid-sync fails one index; the lists apt has still serve.
  apt-get update -qq || echo "setup: apt-get update reported errors; going on with the lists apt has" >&2
fi
if [ ${#missing[@]} -gt 0 ]; then
  # An index that failed above (seen: the security suite's i386 list) leaves
  # a library newer for one architecture than the other, which wine32 cannot
  # match; the release's own suite has both.
  apt-get install -y -qq --no-install-recommends "${missing[@]}" ||
    { . /etc/os-release
      echo "setup: installing again from $VERSION_CODENAME's own suite" >&2
      apt-get install -y -qq --no-install-recommends -t "$VERSION_CODENAME" "${missing[@]}"; }
fi

# apt downloads as its own user, _apt: a folder it can write keeps the
# download sandboxed (and apt quiet about it).
let_apt_write() { if id _apt >/dev/null 2>&1; then chown _apt "$1"; fi; }

# Lua 5.1.5's source, from which the build makes lua5.1.dll for i686.
if [ ! -f "$cache/lua-5.1.5/src/lua.h" ]; then
  mkdir -p "$cache/src"
  let_apt_write "$cache/src"
  (cd "$cache/src" && apt-get source -qq --download-only lua5.1)
  orig=$(ls "$cache"/src/lua5.1_5.1.5.orig.tar.* | head -n 1)
  rm -rf "$cache/lua-5.1.5"
  tar -xf "$orig" -C "$cache"
  [ -f "$cache/lua-5.1.5/src/lua.h" ]
fi
# Expat's source with Debian's patches applied, for mdhost.exe's XML parser.
# The newest version the configured archives actually serve.
if [ ! -f "$cache/expat/lib/expat.h" ]; then
  rm -rf "$cache/expat-src" "$cache/expat"
  mkdir -p "$cache/expat-src"
  let_apt_write "$cache/expat-src"
  for version in $(apt-cache showsrc expat | awk '/^Version:/ {print $2}' | sort -rV); do
    (cd "$cache/expat-src" && apt-get source -qq "expat=$version" >/dev/null 2>&1) && break
  done
  header=$(ls "$cache"/expat-src/*/expat/lib/expat.h)
  mv "$(dirname "$(dirname "$header")")" "$cache/expat"
  rm -rf "$cache/expat-src"
  [ -f "$cache/expat/lib/expat.h" ]
fi
# Free Pascal's i386-win32 cross compiler, for the toolchain tests' plugin.
bash "$here/tools/build-fpc-cross.sh" "$cache"
# The SARIF multitool, which the tests validate mdhost's SARIF with: npm's
# package, its Linux build run as it is (no ICU needed: invariant culture).
multitool="$cache/sarif-multitool/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool"
if [ ! -x "$multitool" ]; then
  rm -rf "$cache/sarif-multitool"
  mkdir -p "$cache/sarif-multitool"
  npm install --prefix "$cache/sarif-multitool" --no-audit --no-fund --ignore-scripts --loglevel=error \
    @microsoft/sarif-multitool@5.7.0 >/dev/null
  chmod u+x "$multitool"
  DOTNET_SYSTEM_GLOBALIZATION_INVARIANT=1 "$multitool" --version >/dev/null
fi
# A Japanese locale (code page 932 under Wine) for the double-byte name
# tests, made in the cache: the system's own locales stay as they are.
if [ ! -f "$cache/locale/ja_JP.UTF-8/LC_CTYPE" ]; then
  mkdir -p "$cache/locale"
  localedef -i ja_JP -f UTF-8 "$cache/locale/ja_JP.UTF-8" || [ -f "$cache/locale/ja_JP.UTF-8/LC_CTYPE" ]
fi
echo "setup: ready (Lua source in $cache/lua-5.1.5, Expat source in $cache/expat)"
