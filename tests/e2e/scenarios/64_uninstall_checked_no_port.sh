# Scenario: "Uninstall" with printer and driver checked but not the port service leaves the port service in place
PRINTER=$E2E_PRINTER
# Left by design as with "Uninstall selected printer", and the port service
# with everything that belongs to it.
KEPT=("${E2E_MAKER_LEFT_BY_DESIGN[@]}" "${E2E_MAKER_PORT_SERVICE[@]}")

scenario_main() {
  e2e_begin_advanced || return 1
  ui click "$IDC_CHECK_PORT_SERVICE"
  check_ui "\"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "\"Selected printer\" stays checked" checked 1 state "$IDC_CHECK_PRINTER"
  check_ui "\"Driver of selected printer\" stays checked" checked 1 state "$IDC_CHECK_DRIVER"
  e2e_screenshot no-port

  e2e_uninstall_checked || return 1
  check_eq "the confirmation is the printer's with its name" "$E2E_CONFIRM_PRINTER" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Uninstall\" is disabled" enabled 0 state "$IDC_UNINSTALL_CHECKED"
  e2e_close_app

  check_seeded "the printer and its driver are gone, the port service stays" maker 0 "${KEPT[@]}"
  check_canary
  check_spooler_running
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Driver [$PRINTER] does NOT still exists" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
