# Scenario: Windows asking to end the session ("wineboot --end-session") while "Uninstall selected printer" runs is refused; the operation goes on to its end with the spooler running
PRINTER="Korvex Model 80"
COMBO=1013
UNINSTALL_SELECTED=1014
STOPPING_SPOOLER="Stop spooler service..."
REFUSED_LINE="Windows asked to end the session while an uninstall operation runs: refused."
SEPARATOR=------------------------------------------------------------------------
STATUS_WAIT_SECONDS=30
OPERATION_SECONDS=120

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" net start spooler) >/dev/null 2>&1
  e2e_start_app_or_fail || return 1
  ui combo-select "$COMBO" 0
  e2e_confirm_uninstall "$UNINSTALL_SELECTED" || { e2e_fail "the button asks for confirmation"; return 1; }

  e2e_wait_status "$STOPPING_SPOOLER" "$STATUS_WAIT_SECONDS" || return 1

  local rc=0
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" wineboot --end-session) \
    >"$E2E_SCENARIO_DIR/wineboot.out" 2>&1 || rc=$?
  check "wineboot reports that the session end was refused" test "$rc" -ne 0
  check "the program is still running" e2e_app_running
  check_log_line "$REFUSED_LINE"
  e2e_screenshot after-end-session

  ui box-gone 10
  e2e_collect_boxes "$OPERATION_SECONDS" || e2e_fail "the operation ends within $OPERATION_SECONDS s"
  check_eq "the operation ran to its end" "$(string_table 157)" "$(e2e_boxes_joined)"
  check_log_line "$SEPARATOR"
  check_service_state "the spooler is running afterwards" spooler running
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "refused while the spooler was stopped, then the operation went on" \
    "Deleted! [$PRINTER]" "Stop Spooler Service OK" "$REFUSED_LINE" "$SEPARATOR"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"
}
