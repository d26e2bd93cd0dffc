# Sourced: the Wine environment for tests, benchmarks and batch runs.
#   tagscribe_wine_env PREFIX_PARENT [unmanaged]
# The prefix lives in PREFIX_PARENT/wineprefix (or wineprefix-unmanaged). It
# must be made under a display: a prefix made without one fails its first start.
tagscribe_wine_env() {
  local flavour="${2:-}"
  export WINEPREFIX="$1/wineprefix${flavour:+-$flavour}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    if [ "$flavour" = unmanaged ]; then
      # Without a window manager (Xvfb), managed windows make Wine wait about
      # two seconds for each window that closes; tests close many.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    fi
    wineserver -w || true
  fi
}
