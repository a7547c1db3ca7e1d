#!/usr/bin/env bash
# Fails when a C++ file differs from the team's style (.clang-format); `make format` mends it.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r f; do
  if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done < <(git ls-files '*.cpp' '*.h')
exit $bad
