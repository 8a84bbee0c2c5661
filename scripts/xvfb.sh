# Sourced by the test scripts: start_xvfb starts an X server of our own on a
# free display number, exports DISPLAY and stops the server when the shell
# exits (also on Ctrl-C). GL tests draw into it with Mesa's software renderer.
start_xvfb() {
  if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is missing (scripts/install-deps.sh installs it)" >&2
    return 1
  fi
  xvfb_number_file=$(mktemp)
  xvfb_log=$(mktemp)
  # -displayfd picks a free display number and writes it once the server
  # accepts connections.
  # -noreset: an X server resets when its last client leaves, and drops a
  # connection that arrives meanwhile; a test that starts a program just
  # after another one ended would see "Can't open display" now and then.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$xvfb_number_file" 2>"$xvfb_log" &
  xvfb_pid=$!
  trap 'stop_xvfb' EXIT
  trap 'exit 130' INT TERM HUP
  local waited=0
  while [ ! -s "$xvfb_number_file" ]; do
    if ! kill -0 "$xvfb_pid" 2>/dev/null || [ "$waited" -ge 100 ]; then
      echo "Xvfb did not start:" >&2
      cat "$xvfb_log" >&2
      stop_xvfb
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$(head -n 1 "$xvfb_number_file")"
  echo "Xvfb running on DISPLAY=$DISPLAY (pid $xvfb_pid)"
}

stop_xvfb() {
  if [ -n "${xvfb_pid:-}" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
  fi
  rm -f "${xvfb_number_file:-}" "${xvfb_log:-}"
  xvfb_number_file=""
  xvfb_log=""
}
