#!/bin/bash
# Runs each fuzz harness of a ZELVO_FUZZ build for a fixed time, starting from
# the seed inputs kept beside the harnesses.
#   tests/fuzz/run-fuzzers.sh BUILD_DIR [SECONDS [HARNESS...]]
set -euo pipefail
build=$1
seconds=${2:-20}
shift $(($# < 2 ? $# : 2))
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(FuzzResponseLines FuzzUrlHelpers FuzzHttpDate FuzzTlsRecords FuzzHtmlTokenizer
  FuzzDecoders FuzzFeedReader)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An input that fails is kept in the build, where it outlives the run.
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
for name in "${names[@]}"; do
  mkdir -p "$work/$name"
  cp "$here/corpus/$name"/* "$work/$name/"
  echo "+ $name for ${seconds}s"
  log="$work/$name.log"
  if ! "$build/tests/fuzz/$name" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$name-" "$work/$name" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$name failed; the input is in $artifacts"
    exit 1
  fi
  grep -E 'DONE|^stat::' "$log"
done
