#!/usr/bin/env bash
# The arm64 part of the release, run by release.sh once the amd64 package is
# packed (its manual page is taken from that build):
#   scripts/release-arm64.sh VERSION
# Cross-builds the command-line program for arm64 against a sysroot of the
# archive's current arm64 packages (scripts/cross-sysroot.sh), runs it under
# qemu-aarch64 against the vectors and the input table, and only then packs
# dist/tarnwell-cli_VERSION_arm64.deb. The cross toolchain's and the
# sysroot's package versions go to build/release-linux-arm64/BUILDINFO, for
# release.sh's BUILDINFO.
#
# The arm64 libraries come from a sysroot, as in the tests, rather than from
# a multiarch install (dpkg --add-architecture arm64): that would change the
# machine's architectures, and it breaks whenever the archive holds the two
# architectures of a library at different versions. dpkg-shlibdeps reads the
# sysroot's packages instead (cmake/CrossDebDepends.cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "usage: scripts/release-arm64.sh VERSION" >&2; exit 2; }
version=$1
build=build/release-linux-arm64
manpage=$PWD/build/release-linux/tarnwell-cli.1.gz
if [ ! -f "$manpage" ]; then
  echo "release-arm64.sh: no manual page from the amd64 build at $manpage." >&2
  exit 1
fi

scripts/cross-sysroot.sh arm64 --refresh
sysroot=build/sysroots/arm64/root

echo "=== building release-linux-arm64"
rm -rf "$build"
cmake --preset release-linux-arm64 "-DTARNWELL_MANPAGE_FROM=$manpage" >/dev/null
cmake --build --preset release-linux-arm64

echo "=== the arm64 program against the contract, under qemu-aarch64"
/usr/bin/python3 tests/cli/cli_program_test.py \
  --vectors tests/vectors/passwords.tsv --inputs tests/vectors/inputs.tsv \
  -- qemu-aarch64 -L "$sysroot" "$build/src/cli/tarnwell-cli"

echo "=== packaging arm64"
cpack --preset release-linux-arm64 >/dev/null
deb=tarnwell-cli_${version}_arm64.deb
architecture=$(dpkg-deb -f "$build/$deb" Architecture)
depends=$(dpkg-deb -f "$build/$deb" Depends)
if [ "$architecture" != arm64 ] || [ -z "$depends" ]; then
  echo "release-arm64.sh: $deb says Architecture '$architecture', Depends '$depends'." >&2
  exit 1
fi
cp "$build/$deb" dist/

gcc_version=$(aarch64-linux-gnu-gcc -dumpversion)
{
  echo "arm64 packages (the cross toolchain, and the sysroot in build/sysroots/arm64):"
  {
    dpkg-query -W -f '${Package} ${Version}\n' \
      "gcc-$gcc_version-aarch64-linux-gnu" "g++-$gcc_version-aarch64-linux-gnu" \
      "cpp-$gcc_version-aarch64-linux-gnu" binutils-aarch64-linux-gnu \
      libc6-dev-arm64-cross "libgcc-$gcc_version-dev-arm64-cross" \
      "libstdc++-$gcc_version-dev-arm64-cross" libstdc++6-arm64-cross \
      linux-libc-dev-arm64-cross qemu-user | sed 's/:amd64 / /'
    tail -n +2 build/sysroots/arm64/PACKAGES
  } | sort
} > "$build/BUILDINFO"
