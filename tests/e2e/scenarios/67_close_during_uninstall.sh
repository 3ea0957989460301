# Scenario: closing the window while "Uninstall selected printer" has the spooler stopped shows "Stop thread", ends the program and leaves the spooler running
PRINTER=$E2E_PRINTER
STOP_CAPTION=Stop
STOP_TEXT="Stop thread"
STOPPED_LINE="Uninstall operation stopped before its end: the spooler was started again if the operation had stopped it."
RECOVERY_LINE="Spooler Service left stopped by an interrupted operation: starting it again..."
FIRST_DLL='C:\windows\system32\QdRk.dll'
STOP_BOX_SECONDS=10
# The worker leaves at its next safe point; the program waits for it a
# bounded time.
EXIT_SECONDS=25
# Facts that the sequence reaches only after the first DLL.
REMOVED_BEFORE_STOP=('printer.Korvex Model 80')

scenario_main() {
  # The first driver DLL stops the spooler and waits seconds before it
  # deletes the file: close the window inside that wait.
  e2e_uninstall_until_spooler_stops || return 1
  ui close

  if ui wait-window "$STOP_CAPTION" "$STOP_BOX_SECONDS" && ui --box "$STOP_CAPTION" box-text 1; then
    check_eq "closing shows the stop notice" "$STOP_TEXT" "$(ui_get box.text)"
    e2e_screenshot stop-notice
    ui --box "$STOP_CAPTION" box-answer "$E2E_IDOK"
  else
    e2e_fail "closing shows a box captioned \"$STOP_CAPTION\""
  fi
  if e2e_wait_app_exit "$EXIT_SECONDS"; then
    e2e_pass "the program ends within $EXIT_SECONDS s of the notice"
  else
    e2e_fail "the program ends within $EXIT_SECONDS s of the notice"
    e2e_screenshot still-running
  fi

  check_spooler_running
  check_canary
  # The first DLL goes only when the notice was answered after the wait; the
  # driver and everything after it stay either way.
  local removed=("${REMOVED_BEFORE_STOP[@]}")
  if log_has_line "File [$FIRST_DLL] deleted!"; then
    removed+=("file.$FIRST_DLL")
    e2e_note "the stop came after the first DLL was deleted"
  else
    check_log_in_order "the stop came while the spooler was stopped, and it was started again" \
      "Deleted! [$PRINTER]" "Stop Spooler Service..." "Stop Spooler Service OK" \
      "$RECOVERY_LINE" "Start Spooler Service OK" "$STOPPED_LINE"
  fi
  check_seeded "the sequence ended at the stop: only the queue is gone" maker 1 "${removed[@]}"
  check_log_in_order "the log records the stop" "Deleted! [$PRINTER]" "$STOPPED_LINE"
  check_log_lacks "the sequence did not reach its end" "$E2E_SEPARATOR"
  check_log_lacks "the driver step was not reached" "Try to delete $PRINTER driver."
}
