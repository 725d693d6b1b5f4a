#!/usr/bin/env bash
# mdhost new as a newcomer meets it: the project it writes builds with its
# own CMake for MinGW, passes check --strict (memory per load measured; the
# C++ one greets with std::string and std::vector), runs its sample action
# and shows its help page (an action's at its section), made by the build
# from the module, in C and in C++; its mdhost.toml names actions.xml, so
# that check places findings on its lines and --fix mends it (in C); a help
# export whose shell fails says 0; a bad name and a folder in use are refused.
#   new_project_test.sh WORK LUA_SOURCE LUA_DLL RECORDER -- MDHOST...
# RECORDER: a program that appends its argument to the file MD_OPEN_LOG
# names; it is made the program that opens .html files.
set -euo pipefail
work=$1 lua_source=$2 lua_dll=$3 recorder=$4
shift 5
mdhost=("$@")
rm -rf "$work"
mkdir -p "$work/lua"
cp "$lua_source"/lua.h "$lua_source"/lauxlib.h "$lua_source"/lualib.h "$lua_source"/luaconf.h "$lua_dll" "$work/lua/"
win() { winepath -w "$1"; }
fail() { echo "FAIL: $*"; exit 1; }
wine_run=$(dirname "${BASH_SOURCE[0]}")/../../tools/wine-run.sh
"$wine_run" reg add 'HKCR\.html' /ve /d mdtest.htmlfile /f >/dev/null 2>&1 || fail "registering the recorder"
"$wine_run" reg add 'HKCR\mdtest.htmlfile\shell\open\command' /ve /d "\"$(win "$recorder")\" \"%1\"" /f \
  >/dev/null 2>&1 || fail "registering the recorder"
log="$work/opened.log"
MD_OPEN_LOG=$(win "$log")
export MD_OPEN_LOG
# What the recorder was given; the shell starts it before ShellExecuteA
# returns, but it writes in its own time.
opened() {
  for _ in $(seq 100); do [ -s "$log" ] && break; sleep 0.1; done
  tr -d '\r' <"$log" 2>/dev/null || true
}

for lang in c cpp; do
  name=Hello_$lang
  "${mdhost[@]}" new --lang "$lang" "$name" "$(win "$work/$name")" >/dev/null
  cmake -S "$work/$name" -B "$work/$name/build" -DCMAKE_TOOLCHAIN_FILE="$work/$name/cmake/mingw-i686.cmake" \
        -DLUA51_DIR="$work/lua" -DMDHOST="${mdhost[*]}" >/dev/null || fail "$lang: configure"
  cmake --build "$work/$name/build" >/dev/null || fail "$lang: build"
  checked=$("${mdhost[@]}" check --strict "$(win "$work/$name/build/$name.lmd")" | tr -d '\r') || true
  grep -q "^PASSED: 0 problems$" <<<"$checked" || fail "$lang: check: $checked"
  ! grep -qE "^(WARN|FAIL)" <<<"$checked" || fail "$lang: check: $checked"
  echo "print($name.Hello(\"World\"))" >"$work/hello_$lang.lua"
  greeting=$("${mdhost[@]}" run "$(win "$work/$name/build/$name.lmd")" "$(win "$work/hello_$lang.lua")" | tr -d '\r')
  [ "$greeting" = "Hello, World!" ] || fail "$lang: run printed '$greeting'"
  grep -q 'id="'"$name"'.Hello"' "$work/$name/Help.html" || fail "$lang: Help.html has no anchor for $name.Hello"
  grep -q 'id="'"$name"'.Hello"' "$work/$name/build/Help.html" || fail "$lang: the build made no Help.html"
  # An action's help opens its own section: the page as a URL with its anchor.
  rm -f "$log"
  shown=$("${mdhost[@]}" help "$(win "$work/$name/build/$name.lmd")" "$(win "$work/$name/build")" "$name.Hello" |
          tr -d '\r') || fail "$lang: help: $shown"
  url="file:///$(win "$work/$name/build" | tr '\\' /)/Help.html#$name.Hello"
  [ "$(opened)" = "$url" ] || fail "$lang: help opened '$(opened)', not '$url'"
  rm -f "$log"
  shown=$("${mdhost[@]}" help "$(win "$work/$name/build/$name.lmd")" "$(win "$work/$name/build")" | tr -d '\r') ||
    fail "$lang: help for the plugin: $shown"
  [ "$(opened)" = "$(win "$work/$name/build")\Help.html" ] || fail "$lang: help opened '$(opened)'"
  # Its mdhost.toml names actions.xml, the document the module is built
  # from: the findings go on its lines, and a change not built yet is said.
  # The same files in both languages: the C project's rebuilds show it.
  [ "$lang" = c ] || continue
  (cd "$work/$name" && "${mdhost[@]}" check --cycles 0 --json "build/$name.lmd" >"$work/checked.json") ||
    fail "$lang: check of the module with its source"
  grep -q '"MD315"' "$work/checked.json" && fail "$lang: the module is not built from its actions.xml"
  sed -i 's|<Type>string</Type>|<Type>strng</Type>|' "$work/$name/actions.xml"
  placed=$(cd "$work/$name" && "${mdhost[@]}" check --cycles 0 "build/$name.lmd" | tr -d '\r') || true
  grep -q 'WARN  MD315 the module.s action document is not .*actions.xml: they differ from line' <<<"$placed" ||
    fail "$lang: an unbuilt change of actions.xml: $placed"
  cmake --build "$work/$name/build" >/dev/null || fail "$lang: build after the change"
  placed=$(cd "$work/$name" && "${mdhost[@]}" check --cycles 0 "build/$name.lmd" | tr -d '\r') || true
  grep -qE 'actions.xml:[0-9]+:[0-9]+: WARN  MD310 [^ ]*/Type: "strng"' <<<"$placed" ||
    fail "$lang: the finding is not on actions.xml's line: $placed"
  (cd "$work/$name" && "${mdhost[@]}" check --cycles 0 --fix "build/$name.lmd" >/dev/null) || true
  grep -q '<Type>string</Type>' "$work/$name/actions.xml" || fail "$lang: --fix did not mend actions.xml"
  cmake --build "$work/$name/build" >/dev/null || fail "$lang: build after the fix"
done

# The shell that cannot open the page: 0, and mdhost says no page was shown.
"$wine_run" reg add 'HKCR\mdtest.htmlfile\shell\open\command' /ve /d "\"C:\\no\\such\\browser.exe\" \"%1\"" /f \
  >/dev/null 2>&1 || fail "registering a missing browser"
if shown=$("${mdhost[@]}" help "$(win "$work/Hello_c/build/Hello_c.lmd")" "$(win "$work/Hello_c/build")" | tr -d '\r'); then
  fail "help with no browser: $shown"
fi
grep -q "returned 0" <<<"$shown" || fail "help with no browser: $shown"

# The version is said in one place: project() in CMakeLists.txt. Changed
# there and rebuilt, the getter and the version resource both say it.
sed -i 's/^project(Hello_c VERSION 1.0 /project(Hello_c VERSION 1.2.3 /' "$work/Hello_c/CMakeLists.txt"
cmake --build "$work/Hello_c/build" >/dev/null || fail "rebuild at 1.2.3"
info=$("${mdhost[@]}" info "$(win "$work/Hello_c/build/Hello_c.lmd")" | tr -d '\r')
grep -q "^Version: 1.2.3$" <<<"$info" || fail "the version after the change: $info"
grep -q "<p>Version 1.2.3 &middot; Lua 5.1</p>" "$work/Hello_c/build/Help.html" || fail "build/Help.html not made again at 1.2.3"
checked=$("${mdhost[@]}" check --strict "$(win "$work/Hello_c/build/Hello_c.lmd")" | tr -d '\r') || true
grep -q "^PASSED: 0 problems$" <<<"$checked" || fail "check at 1.2.3: $checked"
! grep -n '"1\.0"\|1,0,0,0' "$work/Hello_c/src/Hello_c.c" "$work/Hello_c/src/version.rc" || fail "a version in the sources"

# The project's CI step: clean as made; against a release whose action it
# lacks, a break in a release that is no major one.
export MDHOST="${mdhost[*]}" LUA51_DIR="$work/lua"
sh "$work/Hello_cpp/ci.sh" >/dev/null || fail "ci.sh of a new project"
status=0
sh "$work/Hello_cpp/ci.sh" "$(win "$work/Hello_c/build/Hello_c.lmd")" >"$work/ci_out" || status=$?
[ "$status" = 1 ] && grep -q "Hello_c.Hello: action removed" "$work/ci_out" || fail "ci.sh against another release: exit $status"

status=0
"${mdhost[@]}" new 9lives "$(win "$work/bad")" 2>"$work/err" >/dev/null || status=$?
[ "$status" = 2 ] && grep -q "cannot begin with a digit" "$work/err" || fail "a bad name: exit $status"
status=0
"${mdhost[@]}" new Again "$(win "$work/Hello_c")" 2>"$work/err" >/dev/null || status=$?
[ "$status" = 3 ] && grep -q "exists and is not an empty folder" "$work/err" || fail "a folder in use: exit $status"
[ -f "$work/Hello_c/build/Hello_c.lmd" ] || fail "the folder in use was touched"
echo "new projects built, checked clean and ran, in C and C++; one version; their CI step"
