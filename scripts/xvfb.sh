# Sourced by the other scripts: starts a private Xvfb when there is no display and stops it
# again, by its process id, when the calling script exits.
qn_xvfb_pid=""

qn_stop_xvfb() {
  if [ -n "$qn_xvfb_pid" ]; then
    kill "$qn_xvfb_pid" 2>/dev/null || true
    wait "$qn_xvfb_pid" 2>/dev/null || true
    qn_xvfb_pid=""
  fi
}

# qn_start_xvfb [force]: without "force" an existing DISPLAY is kept.
qn_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != force ]; then return 0; fi
  local n
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    qn_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$qn_xvfb_pid" 2>/dev/null || break
      sleep 0.05
    done
    if kill -0 "$qn_xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      trap qn_stop_xvfb EXIT
      return 0
    fi
    qn_xvfb_pid=""
  done
  echo "xvfb: no free display" >&2
  return 1
}
