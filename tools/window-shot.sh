# Sourced by the screenshot scripts, with the build's Wine session running.
# find_window TITLE: sets $window to the window of that title with a real
# size (the application's own zero-sized window carries the same title),
# waiting up to 5 s for it.
find_window() {
  window=
  for _ in $(seq 50); do
    for id in $(xdotool search --name "$1" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      if ((WIDTH > 100)); then window=$id; return 0; fi
    done
    sleep 0.1
  done
  echo "no window named $1" >&2
  return 1
}
# shoot FILE: writes $window as it shows on the screen to FILE.
shoot() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$1"
}
