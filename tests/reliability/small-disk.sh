#!/bin/sh
# Runs a command with a tmpfs of its own, named in TARN_SMALL_DISK:
#   small-disk.sh SIZE COMMAND [ARGUMENT...]
# The tmpfs is mounted in a private user and mount namespace, so no root is
# needed and nothing stays mounted when the command ends. Exits 77 (ctest's
# skip code) when this machine allows no such namespace.
set -u
size=$1
shift
if [ -z "${TARN_SMALL_DISK_NS:-}" ]; then
  if ! unshare --user --map-root-user --mount true 2>/dev/null; then
    echo "small-disk.sh: no user and mount namespace here (unshare -rm); skipped" >&2
    exit 77
  fi
  TARN_SMALL_DISK_NS=1 exec unshare --user --map-root-user --mount sh "$0" "$size" "$@"
fi
unset TARN_SMALL_DISK_NS
dir=$(mktemp -d "${TMPDIR:-/tmp}/small-disk.XXXXXX") || exit 1
if ! mount -t tmpfs -o "size=$size" tmpfs "$dir"; then
  rmdir "$dir"
  echo "small-disk.sh: could not mount a tmpfs; skipped" >&2
  exit 77
fi
trap 'umount "$dir" && rmdir "$dir"' EXIT
trap 'exit 143' HUP INT TERM
TARN_SMALL_DISK=$dir "$@"
