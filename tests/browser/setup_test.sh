#!/usr/bin/env bash
# Checks which installing commands setup.sh chooses on machines of different
# kinds, through its dry run and a PATH that holds only what each machine has.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# A PATH with the tools the script itself uses, plus fake programs.
machine() {
  local dir=$work/$1
  shift
  mkdir -p "$dir"
  for tool in bash dirname id; do ln -sf "$(command -v $tool)" "$dir/$tool"; done
  for fake in "$@"; do printf '#!/bin/sh\nexit 0\n' >"$dir/$fake" && chmod +x "$dir/$fake"; done
  echo "$dir"
}

# expect NAME OUTPUT PATTERN...: each pattern (grep -E) must match a line; a
# pattern starting with ! must match none.
expect() {
  local name=$1 output=$2
  shift 2
  for pattern in "$@"; do
    if [[ $pattern == !* ]]; then
      if grep -Eq -- "${pattern:1}" <<<"$output"; then echo "FAIL $name: unexpected ${pattern:1}"; failures=1; fi
    elif ! grep -Eq -- "$pattern" <<<"$output"; then
      echo "FAIL $name: missing $pattern"
      failures=1
    fi
  done
  echo "--- $name"
  echo "$output"
}

setup() { PATH=$1 CHROMIUM=$2 "$(command -v bash)" "$here/setup.sh" --dry-run 2>&1; }

# Node.js with its own npm, no Chromium: Chromium alone, apt never asked for npm.
out=$(setup "$(machine node-npm node npm)" /nonexistent/chromium)
expect "npm present, no chromium" "$out" 'apt-get install .* chromium$' '!apt-get install .*npm' '!nodejs'
# A bare machine: Chromium and Node.js, then npm on its own.
out=$(setup "$(machine bare)" /nonexistent/chromium)
expect "bare machine" "$out" 'apt-get install .* chromium nodejs$' 'apt-get install .* npm$'
# Node.js without npm (Debian's own), Chromium present: npm alone.
out=$(setup "$(machine node-only node)" "$(command -v bash)")
expect "node without npm" "$out" 'apt-get install .* npm$' '!chromium' '!nodejs'
# Everything present: apt is not run at all.
out=$(setup "$(machine complete node npm)" "$(command -v bash)")
expect "complete machine" "$out" '!apt-get'
exit $failures
