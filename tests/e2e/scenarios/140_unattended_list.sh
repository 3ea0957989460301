# Scenario: purvexc /list writes one tabbed line per maker printer to redirected standard output, changes nothing and shows no window
scenario_main() {
  e2e_seed_or_fail maker second canary || return 1
  e2e_run_unattended purvexc /list /report list.json
  check_exit "/list ends as done" 0
  check_eq "two printers are listed" 2 "$(wc -l <"$E2E_RUN_OUT")"
  check "the first model is listed, its driver not shared" grep -qP "^Korvex Model 58\t.*\tUSB\\\\VID_0E7B.*\tnot shared$" "$E2E_RUN_OUT"
  check "the second model is listed" grep -qP "^Korvex Model 80\t.*\tnot shared$" "$E2E_RUN_OUT"
  check "the redirected output ends its lines with CR LF" grep -q $'\r$' "$E2E_RUN_OUT.raw"
  check_eq "nothing goes to standard error" "" "$(cat "$E2E_RUN_ERR")"
  check_contains "the report is written beside the working directory" '"exitCode": 0' "$(cat "$E2E_CWD/list.json")"
  check_contains "the report holds the printers" '"name": "Korvex Model 80"' "$(cat "$E2E_CWD/list.json")"

  # The window program with a switch runs the same way, and shows nothing.
  e2e_run_unattended purvex /LIST &
  local runner=$!
  check "no message box appears" ui box-none 3
  check "no main window appears" e2e_no_main_window 1
  wait "$runner"
  check_seeded "the installation is untouched" maker 1
  check_seeded "the second model is untouched" second 1
  check_canary
  check_log_line "Unattended run ended with exit code 0."
}
