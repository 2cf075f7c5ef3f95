#!/bin/sh
# The Maker copied without libqipbuild.so beside it must not start: the loader refuses it
# before any of its code runs.
#   missing-library.sh DISC
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1/lumora-maker" "$work/"
if LUMORA_HEADLESS=1 LUMORA_PREFIX="$work/prefix" XDG_RUNTIME_DIR="$work" "$work/lumora-maker" 2>"$work/err"; then
  echo "FAIL: the Maker started without its builder library"
  exit 1
fi
grep -q "libqipbuild.so" "$work/err" || { echo "FAIL: no loader message:"; cat "$work/err"; exit 1; }
echo ok
