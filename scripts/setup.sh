#!/usr/bin/env bash
# Makes sure this Debian machine has what the build and the tests need. As root it installs
# what is missing; otherwise it prints the exact command to run and stops.
#
# Usage: scripts/setup.sh [linux-build|rest|all]   (default: all)
#   linux-build  what the Linux build alone needs, so it can start while the rest installs
#   rest         everything else: the Windows cross build, Wine, the sanitizers, the test tools
set -euo pipefail
what=${1:-all}

linux_build=(cmake g++ make ccache qt6-base-dev libcups2-dev nlohmann-json3-dev)
rest=(clang libclang-rt-14-dev clang-format
      g++-mingw-w64-i686 wine wine32:i386 xvfb x11-apps imagemagick
      socat srecord cups-daemon cups-client nsis ansible man-db dpkg-dev)

case "$what" in
  linux-build) packages=("${linux_build[@]}") ;;
  rest) packages=("${rest[@]}") ;;
  all) packages=("${linux_build[@]}" "${rest[@]}") ;;
  *) echo "usage: $0 [linux-build|rest|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "$what" != rest ] && [ ! -d /usr/src/googletest ]; then missing+=(googletest); fi

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
# i386 is added before the first package-list fetch, whichever group comes first, so the two
# groups of one set-up fetch the lists once (a fetch older than a day is not trusted to still
# name the archive's files).
lists_stamp=/var/lib/apt/periodic/mirelith-lists
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  rm -f "$lists_stamp"
fi
if [ -z "$(find "$lists_stamp" -mmin -1440 2>/dev/null)" ]; then
  apt-get update -q
  mkdir -p "$(dirname "$lists_stamp")" && touch "$lists_stamp"
fi
# man-db's index is rebuilt after every install that carries a manual page; nothing here reads
# that index (man reads the page itself), and the rebuild is one of the slowest steps of a set-up.
# It is off for this install only: the machine's own choice is put back afterwards, and its
# daily job brings the index up to date.
man_auto_update=$(debconf-show man-db 2>/dev/null | sed -n 's/^[* ]*man-db\/auto-update: //p')
echo 'man-db man-db/auto-update boolean false' | debconf-set-selections 2>/dev/null || true
# No fsync after every unpacked file: an install cut short is mended by running this again.
status=0
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o Dpkg::Options::=--force-unsafe-io \
  "${missing[@]}" || status=$?
echo "man-db man-db/auto-update boolean ${man_auto_update:-true}" |
  debconf-set-selections 2>/dev/null || true
exit $status
