# Sourced: the Wine environment for tests, benchmarks and batch runs.
#   tagscribe_wine_env PREFIX_PARENT [unmanaged]
# The prefix lives in PREFIX_PARENT/wineprefix (or wineprefix-unmanaged). It
# is made on first use, with or without a display, and brought up to date with
# the settings below whenever they change (also in prefixes made before).
tagscribe_wine_env() {
  local flavour="${2:-}"
  export WINEPREFIX="$1/wineprefix${flavour:+-$flavour}"
  export WINEDEBUG="${WINEDEBUG:--all}"
  # Without the menu builder a new prefix leaves no empty menu and MIME
  # folders in the user's home (~/.config/menus, ~/.local/share/applications,
  # mime, desktop-directories); the program installs no Windows menu entry.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "tagscribe: preparing the Wine prefix $WINEPREFIX (once, about half a minute)..." >&2
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    # Nothing else can use a prefix this new, so waiting for its start-up
    # processes to end is safe here.
    wineserver -w || true
  fi
  tagscribe_configure_prefix "$flavour"
}

# The registry settings the program relies on under Wine:
# - graphics drivers x11,null: the dialog uses X11 when DISPLAY is set, and a
#   batch without a display makes its hidden dialog on the null driver;
# - IPAPGothic (fonts-ipafont-gothic) for the dialog fonts, so the Japanese
#   captions fit their controls under any locale (Wine rewrites the plain
#   "MS Shell Dlg" substitute on a locale change; these two keys stay);
# - .html opened by winebrowser, which hands it to the desktop's browser (a
#   prefix made without mshtml has no association for it);
# - the programs winebrowser tries, in turn: Wine's own list lacks Debian's
#   sensible-browser and x-www-browser, so a desktop without xdg-utils opened
#   nothing;
# - services that Wine starts with every boot of the prefix but that nothing
#   here uses (network drivers, event log, plug and play) start only when
#   asked for: a batch waits for the boot, and this took a warm batch start
#   from about 0.71 s to 0.61 s (median of 8 alternating runs);
# - for the tests' prefix, windows unmanaged: without a window manager (Xvfb)
#   Wine waits about two seconds for each managed window that closes.
tagscribe_prefix_settings() {
  cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Graphics"="x11,null"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAPGothic"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"MS Shell Dlg 2"="IPAPGothic"

[HKEY_CLASSES_ROOT\.html]
@="htmlfile"

[HKEY_CLASSES_ROOT\.htm]
@="htmlfile"

[HKEY_CLASSES_ROOT\htmlfile\shell\open\command]
@="\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\NDIS]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\nsiproxy]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Eventlog]
"Start"=dword:00000003

[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\PlugPlay]
"Start"=dword:00000003

[HKEY_CURRENT_USER\Software\Wine\WineBrowser]
"Browsers"="xdg-open,sensible-browser,x-www-browser,firefox,firefox-esr,chromium,google-chrome,epiphany-browser,konqueror,falkon,/usr/bin/open,mozilla,opera,dillo"
EOF
  if [ "${1:-}" = unmanaged ]; then
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n'
  fi
}

# The settings last imported are kept in the prefix as the stamp: an unchanged
# prefix costs one comparison. No Wine process is ever ended here.
tagscribe_configure_prefix() {
  local stamp="$WINEPREFIX/tagscribe-settings.reg"
  local wanted
  wanted="$(tagscribe_prefix_settings "${1:-}")"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
    return 0
  fi
  local next="$stamp.$$"
  printf '%s\n' "$wanted" > "$next"
  if wine reg import "$(tagscribe_windows_path "$next")" >/dev/null 2>&1; then
    mv -f "$next" "$stamp"
    # A desktop that the import's own start-up made has the drivers of
    # before; it must end before a program draws on it. Bounded, as a dialog
    # left open on an older prefix keeps its server up: that desktop already
    # has its display.
    timeout 15 wineserver -w 2>/dev/null || true
  else
    rm -f "$next"
    echo "tagscribe: could not apply the Wine settings to $WINEPREFIX" >&2
  fi
}

# The Windows name of an absolute Unix path on Wine's Z: drive (the root).
tagscribe_windows_path() {
  local p="${1//\//\\}"
  printf 'Z:%s' "$p"
}
