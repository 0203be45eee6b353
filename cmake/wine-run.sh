#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine for CTest and the scripts:
#   wine-run.sh PREFIX program.exe [arguments...]
# The Wine prefix lives in the build folder and is made on first use, with the
# Mono and Gecko installers and the crash dialog turned off. Every run has a
# hard timeout (TARNWELL_WINE_TIMEOUT seconds, default 600).
set -u
prefix=$(realpath -m "$1")
shift

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Empty overrides stop the Mono and Gecko download prompts; callers may add more.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"

limit=${TARNWELL_WINE_TIMEOUT:-600}

if [ ! -f "$prefix/.tarnwell-ready" ]; then
  mkdir -p "$prefix"
  (
    # Several tests may start at once; one of them makes the prefix.
    flock 9
    if [ ! -f "$prefix/.tarnwell-ready" ]; then
      timeout -k 10 300 wineboot -i >/dev/null 2>&1
      timeout -k 10 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
        /t REG_DWORD /d 0 /f >/dev/null 2>&1
      timeout -k 10 60 wineserver -w
      touch "$prefix/.tarnwell-ready"
    fi
  ) 9>"$prefix.lock"
fi

# Windows programs with windows need a display; give a headless run its own.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null 2>&1; then
  exec timeout -k 10 "$limit" xvfb-run -a -s "-screen 0 1280x1024x24" wine "$@"
fi
exec timeout -k 10 "$limit" wine "$@"
