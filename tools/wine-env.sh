# Sourced by every tool that runs Wine: the test run's own 32-bit prefix,
# no debug channels, no Mono or Gecko download prompts, no menu entries, and
# no display, so that nothing can open a window or wait for one.
here=${here:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${MD_WINEPREFIX:-$here/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# Wine takes its code pages and its file names' encoding from the locale: one
# UTF-8 locale whatever the caller has (a bare root or container has none), so
# every byte of a name reaches the file system and the tests meet the code
# pages they expect. A test that needs another code page names its locale
# (MD_WINE_LOCALE, with LOCPATH where it was made).
export LC_ALL=${MD_WINE_LOCALE:-C.UTF-8}
