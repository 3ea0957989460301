# Scenario: purvexc /clean removes the leftover device entries "Clean system" removes, its "Done!" on standard error instead of a box
ORPHAN_PRINTER='device.USB\VID_0E7B&PID_0177\KVX77000001'

scenario_main() {
  e2e_seed_or_fail maker orphans canary || return 1
  e2e_run_unattended purvexc /clean /report clean.json
  check_exit "the run ends as done" 0
  check_eq "\"Done!\" goes to standard error" "Done!" "$(cat "$E2E_RUN_ERR")"
  check_seeded "only the entry of the uninstalled model is removed" orphans 1 "$ORPHAN_PRINTER"
  check_seeded "the installed printer and its devices stay" maker 1
  check_canary
  check_contains "the report keeps the message" '"Done!"' "$(cat "$E2E_CWD/clean.json")"
  E2E_LOG_FILE=$E2E_CWD/log/$E2E_CONSOLE_NAME.log
  check_log_line "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0177]"
  check_log_line "Message: Done!"
}
