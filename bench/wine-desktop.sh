# Sourced by the benchmarks that time programs with windows ($root and $build
# set): starts the build's Wine session, takes its environment and keeps
# Wine's desktop process running until the script exits. Wine ends that
# process once no program with a window runs, and the next one starts it
# again inside the timed run; on a user's desktop it is always there. One
# held program keeps it (bench/empty_program.cpp, built beforehand).
"$root/tools/wine-session.sh" start "$build"
trap '"$root/tools/wine-session.sh" stop "$build"' EXIT
source "$root/tools/wine-env.sh" "$build"
wine "$build/bench/empty_program.exe" /HOLD </dev/null >/dev/null 2>&1 &
desktop_holder=$!
trap 'kill "$desktop_holder" 2>/dev/null || true; "$root/tools/wine-session.sh" stop "$build"' EXIT
