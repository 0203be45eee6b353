#!/usr/bin/env bash
# Builds the release files from the committed tree into dist/:
#   - tarnwell-password-generator-VERSION-windows-x64.zip: both Windows
#     programs (stripped), the Windows users' guide as README.txt and the
#     licence as LICENSE.txt (both with CR LF line endings);
#   - tarnwell-cli_VERSION_amd64.deb: the command-line program and its manual
#     page;
#   - tarnwell-cli_VERSION_arm64.deb: the same for arm64, cross-built and
#     checked against the vectors under qemu (scripts/release-arm64.sh);
#   - SHA256SUMS for all of them, and BUILDINFO: the commit and the versions
#     of the toolchains and libraries they were built with.
# The same commit gives the same bytes in any folder on a machine with the
# same package versions: times come from the commit, paths are mapped away,
# and the archives have a fixed member order, times and owners.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! git rev-parse --git-dir >/dev/null 2>&1; then
  echo "release.sh: not a git checkout; the release is built from a commit." >&2
  exit 1
fi
if [ -n "$(git status --porcelain)" ]; then
  echo "release.sh: the work tree has changes; commit or stash them first:" >&2
  git status --short >&2
  exit 1
fi
# A release is built from its tag; anything else is a trial, and says so.
tag_version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ "$(git rev-parse -q --verify "refs/tags/v$tag_version^{commit}")" != "$(git rev-parse HEAD)" ]; then
  echo "release.sh: warning: HEAD is not the tag v$tag_version; these files are not that release." >&2
fi

# What a release needs, and nothing that only the tests use.
toolchain=(cmake ninja-build g++ libssl-dev libxcb1-dev g++-mingw-w64-x86-64-posix
           binutils-mingw-w64-x86-64 help2man gzip dpkg-dev file python3)
scripts/install-deps.sh "${toolchain[@]}"

commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export TZ=UTC LC_ALL=C
umask 022

rm -rf build/release-linux build/release-windows dist
for preset in release-linux release-windows; do
  echo "=== building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo "=== packaging"
cpack --preset release-linux >/dev/null

version=$(build/release-linux/src/cli/tarnwell-cli --version)
version=${version#tarnwell-cli }
mkdir -p dist
cp "build/release-linux/tarnwell-cli_${version}_amd64.deb" dist/
zip_name=tarnwell-password-generator-$version-windows-x64
/usr/bin/python3 scripts/release_zip.py "dist/$zip_name.zip" "$zip_name" \
  build/release-windows/src/ui/TarnwellPasswordGenerator.exe \
  build/release-windows/src/cli/tarnwell-cli.exe docs/windows/README.txt LICENSE=LICENSE.txt

# What was packed must work and fit: the packaged program gives the
# contract's first password, and the window program stays small.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "dist/tarnwell-cli_${version}_amd64.deb" "$unpacked"
expected=$(awk -F '\t' '$1 == "default" { print $7 }' tests/vectors/passwords.tsv)
got=$(printf 'correct horse\nbattery staple\n' | "$unpacked/usr/bin/tarnwell-cli" 2>/dev/null)
if [ -z "$expected" ] || [ "$got" != "$expected" ]; then
  echo "release.sh: the packaged tarnwell-cli gives '$got', not '$expected'." >&2
  exit 1
fi
window_size=$(stat -c %s build/release-windows/src/ui/TarnwellPasswordGenerator.exe)
if [ "$window_size" -gt 307200 ]; then
  echo "release.sh: TarnwellPasswordGenerator.exe is $window_size bytes, more than 300 KB." >&2
  exit 1
fi

# ---- arm64: cross-built, checked under qemu-aarch64, then packed ----------
scripts/release-arm64.sh "$version"
# ---- end of arm64 ----------------------------------------------------------

(cd dist && sha256sum -- *.zip *.deb > SHA256SUMS)

{
  echo "Tarnwell Password Generator $version"
  echo "commit $commit"
  echo "SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH"
  echo "system Debian $(cat /etc/debian_version)"
  echo
  echo "packages:"
  gcc_version=$(gcc -dumpversion)
  dpkg-query -W -f '${Package} ${Version}\n' \
    cmake ninja-build "gcc-$gcc_version" "g++-$gcc_version" "libstdc++-$gcc_version-dev" \
    binutils libc6-dev libssl-dev libssl3 libxcb1-dev libxcb1 gcc-mingw-w64-x86-64-posix \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
    help2man gzip dpkg-dev file python3-minimal zlib1g | sed 's/:amd64 / /' | sort
  echo
  cat build/release-linux-arm64/BUILDINFO
} > dist/BUILDINFO

echo "=== dist/"
(cd dist && ls -l -- * && cat SHA256SUMS)
