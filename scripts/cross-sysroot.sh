#!/usr/bin/env bash
# Prepares the cross-build of the command-line program for another Debian
# architecture (arm64, s390x): installs the cross compiler and qemu-user, and
# makes build/sysroots/ARCH from ARCH's own Debian packages:
#   root/          the packages unpacked together: the sysroot that the
#                  compiler links against and qemu-user runs the program in;
#   packages/NAME/ each package unpacked alone with its control files, where
#                  dpkg-shlibdeps finds a library's package and symbols;
#   PACKAGES       "name:ARCH version" of each, for the release's BUILDINFO.
# The packages are fetched with apt-get download through an apt state of
# their own inside that folder, so the machine's dpkg architectures and apt
# lists stay as they are (no dpkg --add-architecture).
#
#   scripts/cross-sysroot.sh ARCH [--refresh]
#
# A sysroot made before for the same package list is kept, so a second run
# costs nothing and needs no network. --refresh (the release) always fetches
# the archive's current versions.
set -euo pipefail
cd "$(dirname "$0")/.."

usage="usage: scripts/cross-sysroot.sh arm64|s390x [--refresh]"
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "$usage" >&2; exit 2; }
arch=$1
refresh=false
if [ $# -eq 2 ]; then
  [ "$2" = --refresh ] || { echo "$usage" >&2; exit 2; }
  refresh=true
fi
case $arch in
  arm64 | s390x) ;;
  *) echo "$usage" >&2; exit 2 ;;
esac

# What tarnwell-cli is linked against and runs with on ARCH. The C library's
# headers and start files come with the cross compiler (libc6-dev-ARCH-cross),
# so of the C and C++ libraries only the run-time parts are here, for qemu.
# The X libraries are those of the clipboard option.
target_packages=(
  libc6 libgcc-s1 libstdc++6
  libssl-dev libssl3
  libxcb1-dev libxcb1 libxau-dev libxau6 libxdmcp-dev libxdmcp6
  libbsd0 libmd0 libpthread-stubs0-dev x11proto-dev
)

scripts/install-deps.sh dpkg-dev
triplet=$(dpkg-architecture -a "$arch" -q DEB_HOST_GNU_TYPE 2>/dev/null)
# qemu-user without its recommended binfmt handlers: the tests name the
# emulator themselves, and the machine keeps refusing foreign programs.
scripts/install-deps.sh --no-install-recommends "g++-$triplet" "binutils-$triplet" qemu-user

folder=$PWD/build/sysroots/$arch
stamp="# ${target_packages[*]}"
if ! $refresh && [ -f "$folder/PACKAGES" ] && [ "$(head -n 1 "$folder/PACKAGES")" = "$stamp" ]; then
  exit 0
fi

echo "=== sysroot for $arch (build/sysroots/$arch)"
apt_state=$folder/apt
rm -rf "$folder/root" "$folder/packages" "$folder/debs" "$folder/PACKAGES"
mkdir -p "$apt_state/lists/partial" "$apt_state/cache/archives/partial" "$folder/debs"
: > "$apt_state/status"
apt_options=(
  -q -o "APT::Architecture=$arch" -o "APT::Architectures=$arch"
  -o "Dir::State::Lists=$apt_state/lists" -o "Dir::State::status=$apt_state/status"
  -o "Dir::Cache=$apt_state/cache"
  # The folder belongs to whoever runs this; apt's own download user (_apt)
  # could not write to it.
  -o APT::Sandbox::User=root
)
apt-get "${apt_options[@]}" update >/dev/null
(cd "$folder/debs" && apt-get "${apt_options[@]}" download "${target_packages[@]}" >/dev/null)

mkdir -p "$folder/root" "$folder/packages"
{
  echo "$stamp"
  for deb in "$folder"/debs/*.deb; do
    name=$(dpkg-deb -f "$deb" Package)
    dpkg-deb -R "$deb" "$folder/packages/$name"
    cp -al "$folder/packages/$name/." "$folder/root/"
    echo "$name:$(dpkg-deb -f "$deb" Architecture) $(dpkg-deb -f "$deb" Version)"
  done
} > "$folder/PACKAGES.new"
# Only the unpacked packages are kept; the next remake fetches anew.
rm -rf "$folder/root/DEBIAN" "$folder/debs" "$apt_state"
mv "$folder/PACKAGES.new" "$folder/PACKAGES"
