# Sourced by the scripts: a virtual X display (Xvfb).
#   start_virtual_display [--window-manager]
# With --window-manager, openbox draws the frames and caption buttons as a
# desktop would, for pictures. The tests go without one: the program's
# windows are kept from any manager there, and a manager that takes the
# input focus on its own schedule only makes focus checks flaky.
start_virtual_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  TARNWELL_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! xdpyinfo >/dev/null 2>&1; then
    echo "Could not start a virtual display (Xvfb)." >&2
    return 1
  fi
  if [ "${1:-}" = --window-manager ] && command -v openbox >/dev/null 2>&1; then
    openbox >/dev/null 2>&1 &
    TARNWELL_WM_PID=$!
  fi
}

stop_virtual_display() {
  [ -n "${TARNWELL_WM_PID:-}" ] && kill "$TARNWELL_WM_PID" 2>/dev/null
  [ -n "${TARNWELL_XVFB_PID:-}" ] && kill "$TARNWELL_XVFB_PID" 2>/dev/null
  return 0
}
