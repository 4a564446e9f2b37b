# Sourced by the scripts that run Windows programs: a Wine prefix of the build's own, a virtual
# display when there is none (or always, with QN_PRIVATE_DISPLAY=1), and a warm wine server.
# qn_wine_up <build dir>; qn_wine_down undoes it.
qn_wine_up() {
  export WINEPREFIX="$1/wineprefix"
  export WINEDEBUG=-all
  # No Gecko or Mono installer dialogs when the prefix is made.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  QN_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ] || [ "${QN_PRIVATE_DISPLAY:-0}" = 1 ]; then
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    QN_XVFB_PID=$!
    local n; read -r n <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$n"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  if [ ! -f "$WINEPREFIX/.quillnote-unmanaged" ]; then
    # With no window manager on the display, Wine waits two seconds for one whenever a window
    # with a caption is hidden; windows that Wine manages itself are hidden at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
    touch "$WINEPREFIX/.quillnote-unmanaged"
  fi
  # The server stays up for the whole run: each process then starts in a fraction of a second.
  wineserver -p >/dev/null 2>&1 &
}
qn_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${QN_XVFB_PID:-}" ] && kill "$QN_XVFB_PID" 2>/dev/null || true
}
