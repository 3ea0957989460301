# Scenario: a session that really ends (WM_ENDSESSION after the refused query of "wineboot --end-session") while "Uninstall selected printer" has the spooler stopped stops the operation without a notice, starts the spooler again and ends the program
STOP_CAPTION=Stop
ENDS_LINE="The session ends while an uninstall operation runs: stopping it."
STOPPED_LINE="Uninstall operation stopped before its end: the spooler was started again if the operation had stopped it."
EXIT_SECONDS=10

scenario_main() {
  e2e_uninstall_until_spooler_stops || return 1

  # Even forced, Wine's wineboot sends no WM_ENDSESSION to a program that
  # refused the query, so the end itself is sent as Windows would send it.
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" wineboot --end-session --force) \
    >"$E2E_SCENARIO_DIR/wineboot.out" 2>&1
  check "the program is still running after the query" e2e_app_running
  ui end-session
  if ui --box "$STOP_CAPTION" box-none 1; then
    e2e_pass "no stop notice while the session ends"
  else
    e2e_fail "no stop notice while the session ends" "$(ui_get box.text)"
    ui --box "$STOP_CAPTION" box-answer "$E2E_IDOK"
  fi
  e2e_wait_app_exit "$EXIT_SECONDS" || e2e_fail "the program ends with the session"
  check_spooler_running
  check_canary
  check_log_in_order "the operation was stopped and the spooler started again" \
    "Stop Spooler Service OK" "$ENDS_LINE" "Start Spooler Service OK" "$STOPPED_LINE"
  check_log_lacks "the sequence did not reach its end" "$E2E_SEPARATOR"
}
