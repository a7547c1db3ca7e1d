#!/usr/bin/env bash
# Runs every fuzz target for a bounded time on the seed corpus that make_fuzz_seeds wrote, PARALLEL
# at a time (default: one per core), and replays the inputs kept from earlier findings.
# usage: run-fuzzers.sh BIN_DIR SEED_DIR SECONDS [PARALLEL]
set -uo pipefail
bin_dir=$(cd "$1" && pwd) seed_dir=$2 seconds=$3 parallel=${4:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

root=$PWD
run_one() {
  local target=$1 name corpus log
  name=$(basename "$target"); name=${name#fuzz_}
  corpus="$work/$name"; log="$work/$name.log"
  mkdir -p "$corpus"
  if [ -d "$seed_dir/$name" ]; then cp -r "$seed_dir/$name"/. "$corpus"/; fi
  local regress="$root/fuzz/regressions/$name"
  # Each target runs in its own folder: the game code may write its error log where it runs.
  mkdir -p "$work/cwd-$name" && cd "$work/cwd-$name" || return 1
  if [ -d "$regress" ] && ! "$target" -runs=0 "$regress"/* >"$log" 2>&1; then
    echo "fuzz $name: a kept regression input fails"; tail -n 40 "$log"; return 1
  fi
  if ! "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$corpus/crash-" "$corpus" >"$log" 2>&1; then
    # Keep the input that found it: it becomes a regression input once fixed.
    mkdir -p "$root/build/fuzz-findings/$name"
    cp "$corpus"/crash-* "$root/build/fuzz-findings/$name"/ 2>/dev/null
    echo "fuzz $name: finding (input kept in build/fuzz-findings/$name)"; tail -n 60 "$log"; return 1
  fi
  echo "fuzz $name: $(grep -E '^Done' "$log" | tail -n 1)"
}

status=0
pids=()
for target in "$bin_dir"/fuzz_*; do
  [ -x "$target" ] || continue
  run_one "$target" > "$work/$(basename "$target").out" 2>&1 &
  pids+=($!)
  if [ ${#pids[@]} -ge "$parallel" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
cat "$work"/*.out 2>/dev/null
exit $status
