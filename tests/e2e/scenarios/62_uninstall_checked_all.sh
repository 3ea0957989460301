# Scenario: "Uninstall" with printer, driver and port service checked removes the whole installation without a use check
PRINTER=$E2E_PRINTER
CONFIRM_TEXT='You are going to uninstall "VOMUUSB" service, "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'

scenario_main() {
  e2e_begin_advanced || return 1
  check_ui "one printer: \"Selected printer\" is checked" checked 1 state "$IDC_CHECK_PRINTER"
  check_ui "one printer: \"Driver of selected printer\" is checked" checked 1 state "$IDC_CHECK_DRIVER"
  check_ui "one printer: \"Force VOMUUSB uninstall\" is checked" checked 1 state "$IDC_CHECK_PORT_SERVICE"
  e2e_screenshot advanced

  e2e_uninstall_checked || return 1
  check_eq "the confirmation names the service and the printer" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Uninstall\" is disabled" enabled 0 state "$IDC_UNINSTALL_CHECKED"
  e2e_close_app

  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  check_canary
  check_spooler_running
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Driver [$PRINTER] does NOT still exists" \
    "Try to delete VOMUUSB" \
    "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0105&MI_01]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the port service is removed without a use check" "\"VOMUUSB\" is not still used."
}
