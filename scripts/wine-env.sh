# Sourced by the scripts that run Windows programs: one Wine prefix for both builds (a 64-bit
# prefix with its 32-bit side), a virtual display when there is none (or always, with
# QN_PRIVATE_DISPLAY=1), and a warm wine server.
# qn_wine_up <build root>; qn_wine_down undoes it; qn_runs_i686 <build root> probes 32-bit Wine.
# Windows programs are started with "$QN_WINE" (set by qn_wine_up, or by qn_wine_pick).

# Whether the 32-bit Wine loader starts at all. Debian's `wine` goes through it whenever wine32 is
# installed, and a kernel built or booted without 32-bit support refuses it ("Exec format error"),
# even where /proc/sys/abi/vsyscall32 exists.
qn_wine32_starts() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The command that starts Windows programs here: `wine`, or the 64-bit loader itself where the
# 32-bit one cannot start (then only x86_64 programs run).
qn_wine_pick() {
  QN_WINE=wine
  if ! qn_wine32_starts && [ -x /usr/lib/wine/wine64 ]; then QN_WINE=/usr/lib/wine/wine64; fi
  export QN_WINE
}

# Which Wine loaders run on this machine; a prefix made without the 32-bit one has no 32-bit side.
qn_wine_kinds() {
  local kinds=64
  qn_wine32_starts && kinds="64+32"
  echo "$kinds"
}

# Wine's HTTP client honours the host's proxy variables, even for 127.0.0.1: the tests' own local
# servers would be asked for through the proxy, and a test could reach the network.
qn_clear_proxies() {
  unset http_proxy https_proxy ftp_proxy all_proxy no_proxy HTTP_PROXY HTTPS_PROXY FTP_PROXY ALL_PROXY NO_PROXY
}

qn_wine_up() {
  qn_clear_proxies
  export WINEPREFIX="$1/wineprefix"
  export WINEDEBUG=-all
  # No Gecko or Mono installer dialogs when the prefix is made.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  qn_wine_pick
  QN_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ] || [ "${QN_PRIVATE_DISPLAY:-0}" = 1 ]; then
    local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    QN_XVFB_PID=$!
    local n; read -r n <"$fifo"; rm -f "$fifo"
    export DISPLAY=":$n"
  fi
  local kinds; kinds=$(qn_wine_kinds)
  if [ -f "$WINEPREFIX/system.reg" ] && [ "$(cat "$WINEPREFIX/.quillnote-wine" 2>/dev/null)" != "$kinds" ]; then
    echo "The Wine prefix was made by other Wine loaders: making it anew"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX (once)"
    "$QN_WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # With no window manager on the display, Wine waits two seconds for one whenever a window
    # with a caption is hidden; windows that Wine manages itself are hidden at once.
    "$QN_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
    echo "$kinds" >"$WINEPREFIX/.quillnote-wine"
  fi
  # The server stays up for the whole run: each process then starts in a fraction of a second.
  wineserver -p >/dev/null 2>&1 &
}

qn_wine_down() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${QN_XVFB_PID:-}" ] && kill "$QN_XVFB_PID" 2>/dev/null || true
}

# Succeeds when a tiny i686 program runs under Wine here; otherwise sets QN_I686_WHY.
qn_runs_i686() {
  QN_I686_WHY=""
  if [ ! -e /proc/sys/abi/vsyscall32 ] && [ "$(uname -m)" = x86_64 ]; then
    QN_I686_WHY="the kernel does not run 32-bit programs"
    return 1
  fi
  local probe="$1/probe-i686.exe"
  if [ ! -f "$probe" ]; then
    printf '#include <stdio.h>\nint main(void){puts("i686 runs");return 0;}\n' |
      i686-w64-mingw32-gcc-posix -x c -o "$probe" - 2>/dev/null || {
      QN_I686_WHY="the i686 cross compiler could not build the probe"
      return 1
    }
  fi
  if ! qn_wine32_starts; then
    QN_I686_WHY="this kernel does not start 32-bit programs (the 32-bit Wine loader gives \"Exec format error\")"
    [ -x /usr/lib/wine/wine ] || QN_I686_WHY="32-bit Wine (wine32) is not installed"
    return 1
  fi
  # Through a file: Wine's helper processes started with the probe inherit its standard handles
  # and outlive it, so a pipe would not end.
  local out log; log=$(mktemp)
  timeout 60 "$QN_WINE" "$probe" >"$log" 2>/dev/null </dev/null || true
  out=$(tr -d '\r' <"$log"); rm -f "$log"
  if [ "$out" != "i686 runs" ]; then
    QN_I686_WHY="32-bit Wine (wine32) cannot start an i686 program"
    return 1
  fi
}
