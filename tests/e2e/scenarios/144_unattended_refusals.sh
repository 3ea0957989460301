# Scenario: bad command lines, a printer that is not listed and a run beside the open window end with their exit codes and change nothing
scenario_main() {
  e2e_seed_or_fail maker canary || return 1
  local args
  for args in "/bogus" "/list /list" "/uninstall" "/clean /components port" "/list /preview" ""; do
    # shellcheck disable=SC2086
    e2e_run_unattended purvexc $args
    check_exit "\"purvexc $args\" is a usage error" 101
    check_eq "\"purvexc $args\" says why in one line" 1 "$(wc -l <"$E2E_RUN_ERR")"
  done
  e2e_run_unattended purvexc /uninstall "Korvex Model 99"
  check_exit "a printer that is not listed" 102
  check_contains "it says which" 'The printer "Korvex Model 99" is not listed.' "$(cat "$E2E_RUN_ERR")"

  # The window holds the run lock while it is open.
  e2e_start_app_or_fail || return 1
  e2e_run_unattended purvexc /uninstall "$E2E_PRINTER"
  check_exit "an unattended run beside the window does not start" 104
  check_contains "it says so" "Another Purvex run is in progress" "$(cat "$E2E_RUN_ERR")"
  e2e_close_app
  check_seeded "nothing was removed" maker 1
  check_canary
}
