#!/usr/bin/env bash
# Installs what the browser test needs, only when it is missing: Chromium
# (Debian) and playwright-core (npm, the versions of package-lock.json).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if [[ ! -x /usr/bin/chromium ]] || ! command -v npm >/dev/null; then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends chromium nodejs npm
fi
if [[ ! -f $here/node_modules/playwright-core/package.json ]]; then
  (cd "$here" && npm ci --no-audit --no-fund)
fi
