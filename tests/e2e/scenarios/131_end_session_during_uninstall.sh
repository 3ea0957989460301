# Scenario: Windows asking to end the session ("wineboot --end-session") while "Uninstall selected printer" runs is refused; the operation goes on to its end with the spooler running
PRINTER=$E2E_PRINTER
REFUSED_LINE="Windows asked to end the session while an uninstall operation runs: refused."
OPERATION_SECONDS=120

scenario_main() {
  e2e_uninstall_until_spooler_stops || return 1

  local rc=0
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" wineboot --end-session) \
    >"$E2E_SCENARIO_DIR/wineboot.out" 2>&1 || rc=$?
  check "wineboot reports that the session end was refused" test "$rc" -ne 0
  check "the program is still running" e2e_app_running
  check_log_line "$REFUSED_LINE"
  e2e_screenshot after-end-session

  ui box-gone 10
  e2e_collect_boxes "$OPERATION_SECONDS" || e2e_fail "the operation ends within $OPERATION_SECONDS s"
  check_eq "the operation ran to its end" "$E2E_COMPLETED_TEXT" "$(e2e_boxes_joined)"
  check_log_line "$E2E_SEPARATOR"
  check_spooler_running
  check_canary
  check_log_in_order "refused while the spooler was stopped, then the operation went on" \
    "Deleted! [$PRINTER]" "Stop Spooler Service OK" "$REFUSED_LINE" "$E2E_SEPARATOR"
  e2e_close_app
}
