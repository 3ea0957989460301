# Scenario: closing the window twice while "Uninstall selected printer" has the spooler stopped shows one "Stop thread" notice, no error, ends the program and leaves the spooler running
PRINTER=$E2E_PRINTER
STOP_CAPTION=Stop
STOP_TEXT="Stop thread"
STOPPED_LINE="Uninstall operation stopped before its end: the spooler was started again if the operation had stopped it."
STOP_BOX_SECONDS=10
# The stop is asked for before the notice shows: the worker has long ended
# when it is answered, so the program ends at once.
EXIT_SECONDS=5

scenario_main() {
  e2e_uninstall_until_spooler_stops || return 1

  # The first close shows the notice; the second one reaches the window
  # while the notice is up and the first close is still under way.
  ui close
  if ! ui wait-window "$STOP_CAPTION" "$STOP_BOX_SECONDS"; then
    e2e_fail "the first close shows a box captioned \"$STOP_CAPTION\""
    return 1
  fi
  ui close
  ui --box "$STOP_CAPTION" box-text 1
  check_eq "the notice is the stop notice" "$STOP_TEXT" "$(ui_get box.text)"
  e2e_screenshot notice-after-second-close
  ui --box "$STOP_CAPTION" box-answer "$E2E_IDOK"
  # A second notice would keep the program alive with a new box.
  if ui --box "$STOP_CAPTION" box-none 2; then
    e2e_pass "the second close shows no second notice"
  else
    e2e_fail "the second close shows no second notice" "$(ui_get box.text)"
    ui --box "$STOP_CAPTION" box-answer "$E2E_IDOK"
  fi
  if e2e_wait_app_exit "$EXIT_SECONDS"; then
    e2e_pass "the program ends within $EXIT_SECONDS s of the notice"
  else
    e2e_fail "the program ends within $EXIT_SECONDS s of the notice"
    e2e_screenshot still-running
  fi
  check_eq "the program ended normally, not by an error" 0 "${E2E_APP_EXIT:-}"

  check_spooler_running
  check_canary
  check_log_in_order "the stop came while the spooler was stopped, and it was started again" \
    "Deleted! [$PRINTER]" "Stop Spooler Service..." "Stop Spooler Service OK" \
    "Start Spooler Service OK" "$STOPPED_LINE"
  check_log_lacks "the sequence did not reach its end" "$E2E_SEPARATOR"
  check_log_lacks "the DLL wait was not sat out" "File [C:\\windows\\system32\\QdRk.dll] deleted!"
}
