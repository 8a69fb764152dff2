#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (AddressSanitizer and
# UBSan) into build-fuzz/ and runs each for the given number of seconds
# (default 60), keeping and growing its corpus in build-fuzz/corpus/ (the
# archiver's target checks every archive with Debian's liblhasa in-process).
# Prints "N passed, N failed" last; exits non-zero when a target crashed (the
# input that did it is in build-fuzz/crashes/).
#   tools/fuzz.sh [seconds]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=build-fuzz
source tools/ccache-env.sh
targets=(int_or_default settings_values cp932_paths line_ends last_good_run lh5_roundtrip lha_read catalog_read)

CC=clang CXX=clang++ cmake -S tests/fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { cmake --build "$build" -j1; exit 1; }
mkdir -p "$build/crashes"

# Seeds: values the settings file really holds, paths with 表 (95 5C) and ソ
# (83 5C), logs with every kind of line end, and files for the archiver that
# cross the 8 KiB window and hold long matches.
seed() {
  local dir=$build/corpus/$1
  mkdir -p "$dir"
  [[ -n $(ls -A "$dir") ]] && return
  case $1 in
    int_or_default) for v in '    1' '    -5' '    0x1E' '    $FFFFFFFF' '    2147483648' '     +12'; do
        printf '%s' "$v" > "$dir/$(printf '%s' "$v" | md5sum | cut -c1-8)"; done ;;
    settings_values) for v in 1200 ' 12' '"quoted"' "'a'" 'C:\Data\Work' $'\x95\x5c' -1 $'\'\t"\''; do
        printf '%s' "$v" > "$dir/$(printf '%s' "$v" | md5sum | cut -c1-8)"; done ;;
    cp932_paths) printf 'C:\\Data\\\x97\x5c\x92\xe8\x95\x5c' > "$dir/table"
        printf 'C:\\\x83\x5c\\' > "$dir/so"; printf 'D:\\a\x81' > "$dir/lead" ;;
    last_good_run) printf 'START=01/05/23 09:05:00\r\n\t\x83\x6f\x83\x62\x83\x4e\x83\x41\x83\x62\x83\x76\x90\xb3\x8f\xed\x8f\x49\x97\xb9\r\nEND=01/05/23 09:05:01\r\n' > "$dir/good" ;;
    line_ends) printf 'a\r\nb\rc\nd\n\re' > "$dir/mixed"; printf 'START=01/05/23 09:05:00\r\n' > "$dir/log" ;;
    lh5_roundtrip)
        { printf '\x10\x20'; for i in $(seq 1 400); do printf 'backup folder %d of the settings window\r\n' $((i % 37)); done; } > "$dir/text"
        { printf '\x01\xe0'; head -c 20000 /dev/zero; } > "$dir/zeros"
        { printf '\x7f\x41'; head -c 12000 /dev/urandom; } > "$dir/random" ;;
    # Two entries (a folder and a file below it), read as the body of a
    # catalog of version 1, and as one block of version 2 (creation times).
    catalog_read) { printf '\x02\x00\x04Work\x01\x10\x02\x04\x06\\a.txt\x00\x20\x00\x05'
        head -c 16 /dev/zero; } > "$dir/two"
        { printf '\x00\x00\x04Work\x01\x10\x02\x00\x04\x06\\a.txt\x08\x20\x00\x02\x05'
        head -c 16 /dev/zero; } > "$dir/block" ;;
    # Every header level and method: the shared samples, read where they lie,
    # and the kinds of other systems they lack, built from their bytes.
    lha_read) find "$(tools/samples-dir.sh)" -type f -size -64k ! -name 'README*' \
        -exec sh -c 'cp "$1" "$2/$(md5sum < "$1" | cut -c1-8)"' _ {} "$dir" \;
        python3 tests/fuzz/lha_read_seeds.py "$dir" ;;
  esac
}

fuzz_one() {
  local t=$1 extra=()
  [[ $t == lh5_roundtrip ]] && extra=(-max_len=70000)
  [[ $t == lha_read ]] && extra=(-max_len=65536)
  "$build/fuzz_$t" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
    -artifact_prefix="$build/crashes/$t-" "${extra[@]}" "$build/corpus/$t" > "$build/$t.log" 2>&1
}

# Two targets at a time: one per core of the build machine.
for t in "${targets[@]}"; do seed "$t"; done
pids=()
for t in "${targets[@]}"; do
  if ((${#pids[@]} >= 2)); then wait "${pids[0]}"; pids=("${pids[@]:1}"); fi
  fuzz_one "$t" &
  pids+=($!)
  echo $! > "$build/$t.pid"
done

passed=0 failed=0
for t in "${targets[@]}"; do
  if wait "$(cat "$build/$t.pid")"; then
    echo "fuzz_$t: $(grep -E '^Done' "$build/$t.log")"
    passed=$((passed + 1))
  else
    echo "fuzz_$t: FAILED"
    grep -E 'ERROR|SUMMARY|Test unit written|deadly' "$build/$t.log" | head -5
    failed=$((failed + 1))
  fi
  rm -f "$build/$t.pid"
done

echo "fuzz: $passed passed, $failed failed"
((failed == 0))
