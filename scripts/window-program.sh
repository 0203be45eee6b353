# Sourced by start.sh and screenshots.sh, from the project's root folder.

window_program=build/windows/src/ui/TarnwellPasswordGenerator.exe

# Builds the Windows program, or brings it up to date; says so when there is
# anything to build, since the first build takes about a minute.
build_window_program() {
  local output
  [ -f build/windows/build.ninja ] || echo "Configuring the build of the Windows program..."
  if ! output=$(cmake --preset windows 2>&1); then
    printf '%s\n' "$output"
    echo "Could not configure the build of the Windows program." >&2
    return 1
  fi
  output=$(cmake --build --preset windows --target TarnwellPasswordGenerator -- -n 2>&1 || true)
  grep -q '^ninja: no work to do' <<< "$output" ||
    echo "Building Tarnwell Password Generator (the first build takes about a minute)..."
  if ! output=$(cmake --build --preset windows --target TarnwellPasswordGenerator 2>&1); then
    printf '%s\n' "$output"
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
  echo "Preparing Wine for the program (first start only, about 15 seconds)..."
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
