#!/usr/bin/env bash
# Runs every fuzz target for a bounded time on the seed corpus that the tests wrote.
# usage: run-fuzzers.sh BIN_DIR SEED_DIR SECONDS
set -euo pipefail
bin_dir=$1 seed_dir=$2 seconds=$3
status=0
for target in "$bin_dir"/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target"); name=${name#fuzz_}
  corpus=$(mktemp -d)
  if [ -d "$seed_dir/$name" ]; then cp -r "$seed_dir/$name"/. "$corpus"/; fi
  regress="fuzz/regressions/$name"
  echo "fuzz $name: ${seconds}s"
  if [ -d "$regress" ] && ! "$target" -runs=0 "$regress"/* >"$corpus.log" 2>&1; then
    echo "fuzz $name: a kept regression input fails"; tail -n 40 "$corpus.log"; status=1
  fi
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -artifact_prefix="$corpus/crash-" "$corpus" >"$corpus.log" 2>&1; then
    echo "fuzz $name: finding"; tail -n 60 "$corpus.log"; ls "$corpus"/crash-* 2>/dev/null; status=1
  else
    grep -E '^Done|#[0-9]+.*DONE' "$corpus.log" | tail -n 1 || true
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
