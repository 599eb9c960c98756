#!/usr/bin/env bash
# Installs the Debian packages listed in the given files (default: the build
# and test list) that are not installed yet, so a second run costs nothing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[[ ${#lists[@]} -gt 0 ]] || lists=("$here/debian-packages.txt")
missing=()
for list in "${lists[@]}"; do
  while read -r pkg; do
    [[ -z $pkg || $pkg == \#* ]] && continue
    dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
  done < "$list"
done
[[ ${#missing[@]} -eq 0 ]] && exit 0
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
