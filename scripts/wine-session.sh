# Sourced by the scripts that run Windows programs: a fresh Wine prefix, a
# private X display and one persistent wineserver, all removed on exit.
export WINEDEBUG=-all
# No menu entries or desktop files for the shortcuts the tests make.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX=$(mktemp -d /tmp/setupengine-prefix.XXXXXX)
wine_display=:$(( 90 + RANDOM % 800 ))
Xvfb "$wine_display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
wine_xvfb=$!
export DISPLAY=$wine_display
stop_wine_session() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  kill "$wine_xvfb" >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap stop_wine_session EXIT
wineserver -p
wineboot -i >/dev/null 2>&1 || true
# With no window manager on the display, Wine waits two seconds for every
# managed window that closes; windows it manages itself close at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# This Wine looks for its own fonts beside a data folder the package does not
# use, so a prefix gets none of them: the caption buttons are then drawn as
# letters and "MS Sans Serif" is scaled from an outline font. Font files in
# the prefix's font folder are loaded at start-up.
cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# A new prefix links the user's shell folders (the desktop among them) to
# $HOME, which every prefix on the machine shares: a shortcut one test run
# puts on the desktop would be another run's. Folders of the prefix's own.
for folder in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$folder" ]; then rm -f "$folder" && mkdir -p "$folder"; fi
done
