# Scenario: a log over 50000 bytes is emptied at start, one of exactly 50000 is kept
LOG_LIMIT=50000
CRLF_HEX=0d0a
OLD_MARKER="line of an earlier run"

# A file of exactly $1 bytes made of CR LF lines.
make_old_log() {
  local size=$1 file=$2
  mkdir -p "$(dirname "$file")"
  yes "$OLD_MARKER" | sed 's/$/\r/' | head -c "$size" >"$file"
}

run_once() {
  e2e_start_app_or_fail "$1" || return 1
  e2e_close_app
}

scenario_main() {
  local over=$E2E_SCENARIO_DIR/over at=$E2E_SCENARIO_DIR/at
  E2E_LOG_FILE=$over/log/$E2E_APP_NAME.log
  make_old_log $((LOG_LIMIT + 1)) "$E2E_LOG_FILE"
  run_once "$over" || return 1
  check_eq "a log of $((LOG_LIMIT + 1)) bytes is emptied: it begins with the blank line" "$CRLF_HEX" \
    "$(head -c 2 "$E2E_LOG_FILE" | od -An -tx1 | tr -d ' \n')"
  check_eq "nothing of the earlier run is left" 0 "$(grep -c "$OLD_MARKER" "$E2E_LOG_FILE")"

  E2E_LOG_FILE=$at/log/$E2E_APP_NAME.log
  make_old_log "$LOG_LIMIT" "$E2E_LOG_FILE"
  cp "$E2E_LOG_FILE" "$E2E_SCENARIO_DIR/old.log"
  run_once "$at" || return 1
  check "a log of exactly $LOG_LIMIT bytes keeps its content" cmp -n "$LOG_LIMIT" "$E2E_SCENARIO_DIR/old.log" "$E2E_LOG_FILE"
  check_eq "the new run follows it, beginning with the blank line" "$CRLF_HEX" \
    "$(tail -c +"$((LOG_LIMIT + 1))" "$E2E_LOG_FILE" | head -c 2 | od -An -tx1 | tr -d ' \n')"
}
