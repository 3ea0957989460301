# Scenario: /uninstall with /components port removes what "Uninstall" with only "Force VOMUUSB uninstall" checked removes
PRINTER=$E2E_PRINTER
REMOVED=("${E2E_MAKER_PORT_SERVICE[@]}" "${E2E_MAKER_PRODUCT_KEYS[@]}" "${E2E_MAKER_CONSOLE[@]}")

scenario_main() {
  e2e_hold_wineserver
  e2e_seed_or_fail maker canary || return 1
  e2e_run_unattended purvexc /uninstall "$PRINTER" -Components PORT
  check_exit "the run ends as done" 0
  check_seeded "only the port service and the product settings are gone" maker 1 "${REMOVED[@]}"
  check_canary
  check_spooler_running
  E2E_LOG_FILE=$E2E_CWD/log/$E2E_CONSOLE_NAME.log
  check_log_in_order "the log runs from the port service to the separator" \
    "Try to delete VOMUUSB" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the printer is not deleted" "Deleted! [$PRINTER]"
}
