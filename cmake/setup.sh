#!/usr/bin/env bash
# Installs what building and testing PELORIX needs on Debian or Ubuntu, only
# the packages that are missing; sudo when not root. Source or run it.
set -eu
packages=(cmake ninja-build g++ python3 libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-win32 wine wine64 xvfb xdotool x11-utils imagemagick
          pulseaudio pulseaudio-utils libasound2-plugins procps)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
