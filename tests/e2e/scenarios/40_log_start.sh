# Scenario: the log goes to "log" under the current directory and each run begins with a blank line
CRLF_HEX=0d0a

first_bytes_hex() { head -c "$1" "$2" | od -An -tx1 | tr -d ' \n'; }

scenario_main() {
  e2e_start_app_or_fail || return 1
  e2e_close_app

  check "the log is <cwd>/log/$E2E_APP_NAME.log" test -f "$E2E_LOG_FILE"
  check "no log next to the executable" test ! -e "$E2E_APP_DIR/log"
  [[ -f $E2E_LOG_FILE ]] || return 1
  check_eq "the log begins with the blank line" "$CRLF_HEX" "$(first_bytes_hex 2 "$E2E_LOG_FILE")"
  local bad
  bad=$(log_lines | sed -n '2,$p' | grep -Ev '^--> [0-9]{1,2}\.[0-9]{1,2}\.[0-9]{1,2} <--  ' | head -n 1)
  check_eq "every later line is time-stamped" "" "$bad"
  check_eq "every line ends with CR LF" "$(wc -l <"$E2E_LOG_FILE")" "$(grep -c $'\r$' "$E2E_LOG_FILE")"

  local before
  before=$(stat -c %s "$E2E_LOG_FILE")
  e2e_start_app_or_fail || return 1
  e2e_close_app
  check_eq "a second run appends, beginning with the blank line" "$CRLF_HEX" \
    "$(tail -c +"$((before + 1))" "$E2E_LOG_FILE" | head -c 2 | od -An -tx1 | tr -d ' \n')"
}
