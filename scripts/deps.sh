#!/usr/bin/env bash
# Installs, with apt-get, whatever of Kirramo's build and test needs is missing.
# Usage: scripts/deps.sh [run|test]
set -euo pipefail
need=(cmake ninja-build g++ pkg-config libicu-dev libx11-dev qt6-base-dev fonts-noto-cjk wl-clipboard qt6-wayland)
if [ "${1:-run}" = test ]; then
  need+=(libgtest-dev xvfb xclip x11-utils xdotool clang libclang-rt-14-dev desktop-file-utils python3 python3-gi fuse3 python3-fusepy lintian dpkg-dev thunar openbox dbus-daemon)
fi
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
