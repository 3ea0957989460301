# The one way the tools and the Wine suites get an X display: a private Xvfb
# on a free display number, or the user's display when it answers. Sourced by
# tests/e2e/lib.sh (and through it tools/demo.sh, tools/manual_screenshots.sh,
# tools/bench_scale.sh) and by tools/test.sh.

# purvex_start_xvfb GEOMETRY [LOG]: starts an Xvfb with one screen of GEOMETRY
# (e.g. 1024x768x24). Sets PURVEX_XVFB_PID and PURVEX_XVFB_DISPLAY (":N");
# false, with the server's output on standard error, when none came up.
purvex_start_xvfb() {
  local geometry=$1 log=${2:-} fdfile i
  fdfile=$(mktemp "${TMPDIR:-/tmp}/purvex-xvfb.XXXXXX") || return 1
  [[ -n $log ]] || log=$fdfile.log
  PURVEX_XVFB_DISPLAY=
  # -displayfd picks a free display number, so parallel runs do not collide.
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp 3>"$fdfile" >"$log" 2>&1 &
  PURVEX_XVFB_PID=$!
  for ((i = 0; i < 100; i++)); do
    [[ -s $fdfile ]] && break
    kill -0 "$PURVEX_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -s $fdfile ]]; then
    PURVEX_XVFB_DISPLAY=:$(tr -d '\n' <"$fdfile")
  else
    echo "Xvfb did not start" >&2
    cat "$log" >&2
    purvex_stop_xvfb "$PURVEX_XVFB_PID"
    PURVEX_XVFB_PID=
  fi
  rm -f "$fdfile"
  [[ $log == "$fdfile.log" ]] && rm -f "$log"
  [[ -n $PURVEX_XVFB_DISPLAY ]]
}

# purvex_stop_xvfb PID: ends a server that purvex_start_xvfb started.
purvex_stop_xvfb() {
  [[ -n ${1:-} ]] || return 0
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 0
}

# True when $DISPLAY names a display that answers.
purvex_display_answers() {
  [[ -n ${DISPLAY:-} ]] && timeout 5 xdotool getdisplaygeometry >/dev/null 2>&1
}
