#!/usr/bin/env bash
# Installs the Debian packages of a list (tools/packages.txt unless one is
# named) that are not installed yet.
#   tools/install-deps.sh [LIST]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
missing=()
while read -r pkg; do
  case "$pkg" in ''|'#'*) continue ;; esac
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done < "${1:-$here/packages.txt}"
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y --no-install-recommends "${missing[@]}" || {
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
