#!/usr/bin/env bash
# Installs, through apt-get, whatever the build and the tests need and this
# machine lacks (Debian or Ubuntu). Uses sudo when not run as root.
#   scripts/install-deps.sh [--no-install-recommends] [PACKAGE...]
# With package names, installs only those (the command-line program and the
# release need far fewer than the tests). --no-install-recommends leaves out
# what the named packages only recommend.
set -euo pipefail

apt_install_options=()
if [ "${1:-}" = --no-install-recommends ]; then
  apt_install_options=(--no-install-recommends)
  shift
fi

packages=(
  cmake ninja-build g++ python3 libssl-dev          # native build, OpenSSL provider
  libxcb1-dev xclip                                 # --copy, and a real X client to read it
  googletest libgtest-dev libbenchmark-dev          # tests and benchmarks
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64  # Windows cross-build
  wine wine64 xvfb xauth openbox                    # running the Windows program
  xclip                                             # reading the X clipboard in the tests
  mutter xwayland dbus-daemon                       # the clipboard managers test: GNOME on X11
  copyq parcellite xfce4-clipman                    # and Wayland, and the other managers
  imagemagick x11-utils                             # screenshots and the display check
  clang libclang-rt-dev                             # fuzzing with libFuzzer
  help2man dpkg-dev file                            # manual page and Debian package
  lintian mandoc                                    # checks of the package and its page
  bash-completion zsh fish                          # the command-line program's completion tests
)
[ $# -eq 0 ] || packages=("$@")

find_missing() {
  missing=()
  local package
  for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
}
find_missing
[ ${#missing[@]} -eq 0 ] && exit 0

# The test command installs from more than one job at a time (the cross
# toolchains of each processor), and apt allows one at a time: the others
# wait here, then look again at what is still missing.
exec 9>"${TMPDIR:-/tmp}/tarnwell-install-deps.lock"
flock 9
find_missing
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q "${apt_install_options[@]}" "${missing[@]}"
