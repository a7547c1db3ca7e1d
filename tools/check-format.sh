#!/usr/bin/env bash
# Fails when a C++ file differs from the team's style (.clang-format); `make format` mends it.
# Files go to clang-format in batches over every core; a failing batch is checked file by file to
# name the culprits.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=$(git ls-files -z '*.cpp' '*.h' | xargs -0 -n 40 -P "$(nproc)" sh -c '
  clang-format --dry-run -Werror "$@" >/dev/null 2>&1 && exit 0
  for f in "$@"; do
    clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || echo "not formatted: $f"
  done' sh)
if [ -n "$bad" ]; then
  echo "$bad"
  exit 1
fi
