#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the program need.
# Idempotent: does nothing when everything is already present.
# Usage: bootstrap.sh [package]   (package: also the tools that build and
# check the Debian package, scripts/check-package.sh)
set -euo pipefail

# libtag1-dev: the cold benchmark's TagLib loop (bench/taglib_loop.cpp).
packages=(
  wine wine64 wine64-tools libwine-dev
  libid3tag0-dev zlib1g-dev libboost-dev
  cmake g++ libgtest-dev
  xvfb xauth x11-utils
  locales fonts-ipafont-gothic
  g++-mingw-w64-i686 libz-mingw-w64-dev
  tidy time libtag1-dev
  desktop-file-utils imagemagick xdg-utils libglib2.0-bin
  kid3-cli
)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev lintian man-db)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Locales for the ANSI code pages the tests run under: 932 (Japanese), 1251
# (Cyrillic), 1253 (Greek) and 1255 (Hebrew) under Wine.
for name in ja_JP ru_RU el_GR he_IL; do
  locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8\$" && continue
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
done
