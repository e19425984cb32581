#!/usr/bin/env bash
# Installs the Debian packages of scripts/packages.txt that are absent.
# Usage: install-deps.sh run|test
set -euo pipefail
want=${1:-run}
here=$(cd "$(dirname "$0")" && pwd)
missing=()
while read -r kind pkg; do
  case "$kind" in ''|\#*) continue ;; esac
  if [ "$want" = run ] && [ "$kind" != run ]; then continue; fi
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done < "$here/packages.txt"
if [ ${#missing[@]} -eq 0 ]; then exit 0; fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
