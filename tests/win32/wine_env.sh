# Sourced by the Wine scripts of the Windows tests: keeps Wine, HOME and the XDG
# folders inside the run's temporary folder $TAVREL_WINE_ROOT, and pins the
# language (Japanese, as on the reference desktop: ANSI code page 932) and the
# time zone (UTC unless TAVREL_TZ names another).
: "${TAVREL_WINE_ROOT:?TAVREL_WINE_ROOT must name the test run's Wine folder}"
export WINEPREFIX="$TAVREL_WINE_ROOT/prefix"
export HOME="$TAVREL_WINE_ROOT/home"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
export XDG_CACHE_HOME="$HOME/.cache" XDG_RUNTIME_DIR="$TAVREL_WINE_ROOT/runtime"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The Japanese locale is built into the run's folder, so the machine needs no
# generated locales and nothing is installed system-wide.
export LOCPATH="$TAVREL_WINE_ROOT/locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export TZ="${TAVREL_TZ:-UTC}"
# Command-line tests need no display; the window's tests bring their own.
if [ -z "${TAVREL_WINE_DISPLAY:-}" ]; then unset DISPLAY WAYLAND_DISPLAY; fi
