# Scenario: "Uninstall" with only "Force VOMUUSB uninstall" checked removes the port service and the product settings, not the printer
PRINTER=$E2E_PRINTER
CONFIRM_TEXT='You are going to uninstall "VOMUUSB" service.\r\nContinue?'
# What goes: the port service with its device entry, driver file and INF
# files, the printer's product keys and (one printer listed) the
# control-panel settings.
REMOVED=("${E2E_MAKER_PORT_SERVICE[@]}" "${E2E_MAKER_PRODUCT_KEYS[@]}" "${E2E_MAKER_CONSOLE[@]}")

scenario_main() {
  e2e_begin_advanced || return 1
  ui click "$IDC_CHECK_PRINTER"
  check_ui "unchecking \"Selected printer\" unchecks the driver too" checked 0 state "$IDC_CHECK_DRIVER"
  check_ui "\"Force VOMUUSB uninstall\" stays checked" checked 1 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "\"Uninstall\" stays enabled" enabled 1 state "$IDC_UNINSTALL_CHECKED"
  e2e_screenshot port-only

  e2e_uninstall_checked || return 1
  check_eq "the confirmation names only the service" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  check_ui "the printer is still listed" combo.0 "$PRINTER" combo "$IDC_PRINTER_COMBO"
  check_ui "the port service is gone: \"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "the port service is gone: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$IDC_CHECK_PORT_SERVICE"
  e2e_close_app

  check_seeded "only the port service and the product settings are gone" maker 1 "${REMOVED[@]}"
  check_canary
  check_spooler_running
  check_log_in_order "the log runs from the port service to the separator" \
    "Try to delete VOMUUSB" \
    "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0105&MI_01]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the printer is not deleted" "Deleted! [$PRINTER]"
  check_log_lacks "the driver is not deleted" "Try to delete $PRINTER driver."
}
