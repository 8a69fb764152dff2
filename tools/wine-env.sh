# Sourced by the scripts that run Windows programs under Wine: one prefix per
# build folder, the Japanese locale (Wine takes the ANSI code page from
# LC_CTYPE) and the display of the X server that wine-session.sh started.
# Usage: source tools/wine-env.sh BUILD_DIR
yx_build_dir=$(cd "$1" && pwd)
export WINEPREFIX="$yx_build_dir/wineprefix"
export WINEDEBUG=-all
# Never offer to download Mono or Gecko: the machines have no such network.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ja_JP.UTF-8
export WINEARCH=win64
if [[ -f "$yx_build_dir/wine-display" ]]; then
  export DISPLAY=":$(cat "$yx_build_dir/wine-display")"
fi
