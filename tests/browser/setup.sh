#!/usr/bin/env bash
# Installs what the browser test needs, each piece only when it is missing:
# Chromium (Debian), Node.js (Debian), npm (Debian, only when Node.js did not
# bring its own: a Node.js that ships npm conflicts with Debian's npm), and
# playwright-core (npm, the versions of package-lock.json).
#   setup.sh [--dry-run]   --dry-run prints the installing commands instead
# The browser is $CHROMIUM, else /usr/bin/chromium, as the test looks for it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dry=0
[[ ${1:-} == --dry-run ]] && dry=1

run() {
  if ((dry)); then
    echo "would run: $*"
  else
    "$@"
  fi
}

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
updated=0
apt_install() {
  export DEBIAN_FRONTEND=noninteractive
  if ((!updated)); then
    run "${sudo[@]}" apt-get update -qq
    updated=1
  fi
  run "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@"
}

missing=()
[[ -x ${CHROMIUM:-/usr/bin/chromium} ]] || missing+=(chromium)
command -v node >/dev/null || missing+=(nodejs)
[[ ${#missing[@]} -eq 0 ]] || apt_install "${missing[@]}"
# Asked only now: the Node.js just installed may have brought npm with it.
if ! command -v npm >/dev/null; then
  apt_install npm
fi
if [[ ! -f $here/node_modules/playwright-core/package.json ]]; then
  if ((dry)); then
    echo "would run: (cd $here && npm ci --no-audit --no-fund)"
  else
    (cd "$here" && npm ci --no-audit --no-fund)
  fi
fi
