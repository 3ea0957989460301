# Scenario: a session that really ends (WM_ENDSESSION after the refused query of "wineboot --end-session") while "Uninstall selected printer" has the spooler stopped stops the operation without a notice, starts the spooler again and ends the program
COMBO=1013
UNINSTALL_SELECTED=1014
STOP_CAPTION=Stop
STOPPING_SPOOLER="Stop spooler service..."
ENDS_LINE="The session ends while an uninstall operation runs: stopping it."
STOPPED_LINE="Uninstall operation stopped before its end: the spooler was started again if the operation had stopped it."
SEPARATOR=------------------------------------------------------------------------
STATUS_WAIT_SECONDS=30
EXIT_SECONDS=10

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  (cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" net start spooler) >/dev/null 2>&1
  e2e_start_app_or_fail || return 1
  ui combo-select "$COMBO" 0
  e2e_confirm_uninstall "$UNINSTALL_SELECTED" || { e2e_fail "the button asks for confirmation"; return 1; }

  e2e_wait_status "$STOPPING_SPOOLER" "$STATUS_WAIT_SECONDS" || return 1

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
    ui --box "$STOP_CAPTION" box-answer 1
  fi
  e2e_wait_app_exit "$EXIT_SECONDS" || e2e_fail "the program ends with the session"
  check_service_state "the spooler is running afterwards" spooler running
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the operation was stopped and the spooler started again" \
    "Stop Spooler Service OK" "$ENDS_LINE" "Start Spooler Service OK" "$STOPPED_LINE"
  check_log_lacks "the sequence did not reach its end" "$SEPARATOR"
}
