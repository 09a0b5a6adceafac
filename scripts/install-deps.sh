#!/usr/bin/env bash
# Installs the Debian packages of scripts/debian-packages.txt that are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t wanted < <(grep -v -E '^\s*(#|$)' "$here/debian-packages.txt" | sort -u)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# tshark asks whether ordinary users may capture; the tests run it as root.
echo "wireshark-common wireshark-common/install-setuid boolean false" |
  "${sudo_cmd[@]}" debconf-set-selections
# Packages such as ola would start system services (olad joining the real network);
# the tests start their own instances on loopback, so keep services from starting.
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$policy" > /dev/null
  "${sudo_cmd[@]}" chmod +x "$policy"
  own_policy=1
fi
cleanup() { if [ "$own_policy" = 1 ]; then "${sudo_cmd[@]}" rm -f "$policy"; fi; }
trap cleanup EXIT
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
# A service that was enabled anyway stays off.
if command -v systemctl > /dev/null && systemctl list-unit-files olad.service > /dev/null 2>&1; then
  "${sudo_cmd[@]}" systemctl disable --now olad.service > /dev/null 2>&1 || true
fi
