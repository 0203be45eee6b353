# Sourced by the scripts: a virtual X display (Xvfb).
#   start_virtual_display [--window-manager]
# With --window-manager, openbox draws the frames and caption buttons as a
# desktop would, for pictures. The tests go without one: the program's
# windows are kept from any manager there, and a manager that takes the
# input focus on its own schedule only makes focus checks flaky.
start_virtual_display() {
  # Xvfb picks a free display number itself and writes it to -displayfd, so
  # that several runs on one machine never race for the same number. It
  # listens on the abstract socket only, as the tests' displays do
  # (tests/cli/x_server.py), so that no other program can take its socket
  # file away. It never resets: an Xvfb resets when its last client leaves
  # (xdpyinfo below, or Wine's desktop process between two test programs)
  # and closes every connection it has at that moment, the one that the
  # next client is still setting up among them.
  local number_file n
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -nolisten unix -noreset 3>"$number_file" >/dev/null 2>&1 &
  TARNWELL_XVFB_PID=$!
  for _ in $(seq 300); do
    n=$(head -n 1 "$number_file")
    [ -n "$n" ] && break
    kill -0 "$TARNWELL_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  export DISPLAY=":$n"
  if [ -z "$n" ] || ! xdpyinfo >/dev/null 2>&1; then
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
