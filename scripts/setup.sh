#!/usr/bin/env bash
# Makes sure this Debian machine has what the build and the tests need. As root it installs
# what is missing; otherwise it prints the exact command to run and stops.
set -euo pipefail

packages=(cmake g++ make clang libclang-rt-14-dev clang-format
          g++-mingw-w64-i686 wine wine32:i386 xvfb x11-apps imagemagick
          socat srecord cups-daemon cups-client libcups2-dev nsis
          qt6-base-dev nlohmann-json3-dev ansible man-db dpkg-dev ccache)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ! -d /usr/src/googletest ]; then missing+=(googletest); fi

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
needs_i386=0
for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] && needs_i386=1; done
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  [ $needs_i386 -eq 1 ] && echo "  sudo dpkg --add-architecture i386 &&" >&2
  echo "  sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive apt-get install -y ${missing[*]}" >&2
  exit 1
fi
[ $needs_i386 -eq 1 ] && dpkg --add-architecture i386
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
