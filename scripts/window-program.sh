# Sourced by start.sh and screenshots.sh, from the project's root folder.

window_program=build/windows/src/ui/TarnwellPasswordGenerator.exe

# Builds (or brings up to date) the Windows program; says so when it takes long.
build_window_program() {
  local output
  [ -f "$window_program" ] ||
    echo "Building Tarnwell Password Generator (first start only, about a minute)..."
  if ! output=$(cmake --preset windows 2>&1 &&
                cmake --build --preset windows --target TarnwellPasswordGenerator 2>&1); then
    printf '%s\n' "$output"
    echo "The build of the Windows program failed." >&2
    return 1
  fi
}

# Makes a Wine prefix for running the program as a user would, apart from the
# tests' prefix (which holds test-only stand-ins and window settings). The program is DPI-unaware by
# design and Wine does not scale such programs, so the prefix is held at
# 96 DPI, where the window's layout fits, whatever the display's own DPI.
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
