#!/usr/bin/env bash
# Starts or stops the X server and the Wine session that the Windows tests and
# the demo share: wine-session.sh start|stop BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1
build=$(mkdir -p "$2" && cd "$2" && pwd)

stop_session() {
  source "$here/wine-env.sh" "$build"
  wineserver -k </dev/null >/dev/null 2>&1 || true
  if [[ -f "$build/xvfb.pid" ]]; then
    kill "$(cat "$build/xvfb.pid")" 2>/dev/null || true
    rm -f "$build/xvfb.pid"
  fi
  rm -f "$build/wine-display"
}

prepare_prefix() {
  # A new Wine 8 prefix takes several seconds and ~700 MB: made once per build
  # folder. The marker names the sides of Wine it was made with: a prefix made
  # before 32-bit Wine was installed lacks the 32-bit side, and then every
  # program, 64-bit ones too, fails with status 53 (kernel32.dll not loaded),
  # so such a prefix is made again.
  local sides=win64
  [[ -x /usr/lib/wine/wine ]] && sides=win32+win64
  [[ -f "$WINEPREFIX/.yorudex-ready" && $(cat "$WINEPREFIX/.yorudex-ready") == "$sides" ]] && return
  rm -rf "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1
  # Without a window manager Wine waits for one on every window; unmanaged
  # windows draw their own captions and close at once.
  local reg="$build/yorudex-prefix.reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n'
  } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
  wine regedit /S "$reg" </dev/null >/dev/null 2>&1
  # Debian's Wine does not find its own Tahoma and Marlett otherwise.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  for f in /usr/share/wine/fonts/*.ttf; do
    ln -sf "$f" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  done
  wineserver -w </dev/null >/dev/null 2>&1
  echo "$sides" > "$WINEPREFIX/.yorudex-ready"
}

case $action in
  start)
    stop_session
    # -displayfd picks a free display and tells its number on the pipe.
    exec 3< <(Xvfb -displayfd 1 -screen 0 2048x1536x24 -nolisten tcp 2>/dev/null & echo "pid $!")
    read -r _ xpid <&3
    read -r display <&3
    echo "$xpid" > "$build/xvfb.pid"
    echo "$display" > "$build/wine-display"
    source "$here/wine-env.sh" "$build"
    # Every daemon must let go of our output, or CTest waits for it.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    prepare_prefix
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    stop_session
    ;;
  *)
    echo "usage: $0 start|stop BUILD_DIR" >&2
    exit 2
    ;;
esac
