#!/bin/bash
# Runs each fuzz harness of a ZELVO_FUZZ build for a fixed time, starting from
# the seed inputs kept beside the harnesses.
#   tests/fuzz/run-fuzzers.sh BUILD_DIR [SECONDS]
set -euo pipefail
build=$1
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for name in FuzzResponseLines FuzzUrlHelpers FuzzHttpDate; do
  mkdir -p "$work/$name"
  cp "$here/corpus/$name"/* "$work/$name/"
  echo "+ $name for ${seconds}s"
  "$build/tests/fuzz/$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/$name" 2>&1 | tail -n 12
done
