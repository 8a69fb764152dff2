#!/bin/sh
# A file system of 1 MiB for the case of a full destination, mounted for the
# test run and unmounted after it. Mounting needs root: without it the case
# says so and skips.
dir=$2
case $1 in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" || mount -t tmpfs -o size=1m yx-small-disk "$dir" 2>/dev/null ||
      echo "small disk: cannot mount a tmpfs at $dir; the full-destination case skips" ;;
  unmount)
    if mountpoint -q "$dir"; then umount "$dir"; fi
    rmdir "$dir" 2>/dev/null ;;
esac
exit 0
