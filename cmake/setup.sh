#!/usr/bin/env bash
# Installs what building and testing PELORIX needs on Debian or Ubuntu, only
# the packages that are missing; sudo when not root. Source or run it.
set -eu
packages=(cmake ninja-build g++ python3 libgtest-dev libbenchmark-dev
          g++-mingw-w64-x86-64-win32 wine wine64 xvfb xdotool x11-utils imagemagick
          pulseaudio pulseaudio-utils libasound2-plugins procps clang
          nsis fonts-wine)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  echo "installing: ${missing[*]}"
  [ -n "${updated:-}" ] || { $sudo apt-get update -qq; updated=1; }
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_missing "${packages[@]}"
# libFuzzer comes apart from clang, in the runtime package of its version.
runtime=libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev
if apt-cache show "$runtime" >/dev/null 2>&1; then install_missing "$runtime"; fi
