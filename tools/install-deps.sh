#!/usr/bin/env bash
# Installs the Debian packages Quillon needs to build, run and test, and only
# those that are missing. Non-interactive; uses sudo when not root.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config clang libclang-rt-14-dev
  # libraries
  libsdl2-dev libgl-dev libgl1-mesa-dri libglu1-mesa-dev libjpeg62-turbo-dev
  libmpg123-dev libgtk-3-dev libmp3lame-dev libfreetype-dev fonts-dejavu-core
  zlib1g-dev libgtest-dev libgmock-dev
  # running without a screen, and the independent tools the tests compare with
  xvfb xauth xdotool x11-apps x11-utils libjpeg-turbo-progs imagemagick assimp-utils ffmpeg mpg123
  python3 python3-pil aubio-tools
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
