# Scenario: purvexc /uninstall of one of two maker models leaves exactly what the button leaves, with no box, and reports it
PRINTER=$E2E_PRINTER
# The same state "Uninstall selected printer" leaves on this seed.
LEFT=("${E2E_MAKER_LEFT_BESIDE_SECOND[@]}")

scenario_main() {
  e2e_hold_wineserver
  e2e_seed_or_fail maker second canary || return 1
  # The name in other letter case, as a deployment script may write it.
  e2e_run_unattended purvexc /uninstall "korvex model 80" /report "C:\\uninstall.json" /log logs
  check_exit "the uninstallation ends as done" 0
  check_seeded "Model 80 is gone but for what the other model uses and what stays by design" maker 0 "${LEFT[@]}"
  check_seeded "the other model is untouched" second 1
  check_canary
  check_spooler_running "the spooler runs after the run"
  check_contains "the completion message goes to standard error" "$(string_table IDS_UNINSTALL_COMPLETED | head -n 1)" "$(cat "$E2E_RUN_ERR")"
  check_eq "nothing goes to standard output" "" "$(cat "$E2E_RUN_OUT")"
  local report
  report=$(cat "$WINEPREFIX/drive_c/uninstall.json")
  check_contains "the report names the printer" '"name": "Korvex Model 80"' "$report"
  check_contains "the report tells the exit code" '"exitCode": 0' "$report"
  check_contains "the report keeps the command line" 'korvex model 80' "$report"
  E2E_LOG_FILE=$E2E_CWD/logs/$E2E_CONSOLE_NAME.log
  check_log_in_order "the log in the /log folder runs as the button's does" \
    "Deleted! [$PRINTER]" \
    "Dll [QdRk.dll] is still used. We won't delete it!" \
    "\"VOMUUSB\" is still used." \
    "$E2E_SEPARATOR" \
    "Unattended run ended with exit code 0."
}
