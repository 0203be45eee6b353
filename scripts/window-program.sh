# Sourced by start.sh and screenshots.sh, from the project's root folder.
# Every message goes to standard error.

# The Windows program alone, without the tests, so that building it needs
# only CMake, Ninja and MinGW-w64 (the window preset).
window_program=build/window/src/ui/TarnwellPasswordGenerator.exe

# What building and running the window needs, and nothing that only the
# tests use.
window_program_packages=(cmake ninja-build g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                         wine wine64)

# Builds the Windows program, or brings it up to date; says so when there is
# anything to build, since the first build takes about a minute. A configured
# folder is not configured again: Ninja runs CMake itself when a CMake file
# has changed.
build_window_program() {
  local output
  if [ ! -f build/window/build.ninja ]; then
    echo "Configuring the build of the Windows program..." >&2
    if ! output=$(cmake --preset window 2>&1); then
      printf '%s\n' "$output" >&2
      echo "Could not configure the build of the Windows program." >&2
      return 1
    fi
  fi
  output=$(cmake --build --preset window -- -n 2>&1 || true)
  grep -q '^ninja: no work to do' <<< "$output" ||
    echo "Building Tarnwell Password Generator (the first build takes about a minute)..." >&2
  if ! output=$(cmake --build --preset window 2>&1); then
    printf '%s\n' "$output" >&2
    echo "The build of the Windows program failed." >&2
    return 1
  fi
}

# Makes a Wine prefix for running the program as a user would, apart from the
# tests' prefix (which holds test-only stand-ins and window settings). The
# program is DPI-unaware by design and Wine does not scale such programs, so
# the prefix is held at 96 DPI, where the window's layout fits, whatever the
# display's own DPI.
prepare_program_prefix() {
  local prefix=$1 key
  [ -f "$prefix/.tarnwell-96dpi" ] && return 0
  echo "Preparing Wine for the program (first start only, about 15 seconds)..." >&2
  mkdir -p "$prefix"
  for key in 'HKCU\Control Panel\Desktop' \
             'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    if ! cmake/wine-run.sh "$prefix" reg add "$key" /v LogPixels /t REG_DWORD /d 96 /f \
         >/dev/null 2>&1; then
      echo "Wine could not prepare its prefix in $prefix." >&2
      return 1
    fi
  done
  touch "$prefix/.tarnwell-96dpi"
}
