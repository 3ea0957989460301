# Scenario: "Uninstall" with only "Selected printer" checked removes the queue and its settings but keeps the driver and its forms
PRINTER=$E2E_PRINTER
REMOVED=('printer.Korvex Model 80' "${E2E_MAKER_PRODUCT_KEYS[@]}" "${E2E_MAKER_CONSOLE[@]}")

scenario_main() {
  e2e_begin_advanced || return 1
  ui click "$IDC_CHECK_DRIVER"
  check_ui "\"Selected printer\" stays checked" checked 1 state "$IDC_CHECK_PRINTER"
  check_ui "\"Selected printer\" is enabled" enabled 1 state "$IDC_CHECK_PRINTER"
  ui click "$IDC_CHECK_DRIVER"
  check_ui "checking the driver disables \"Selected printer\"" enabled 0 state "$IDC_CHECK_PRINTER"
  ui click "$IDC_CHECK_DRIVER"
  check_ui "unchecking the driver enables \"Selected printer\" again" enabled 1 state "$IDC_CHECK_PRINTER"
  ui click "$IDC_CHECK_PORT_SERVICE"
  check_ui "\"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$IDC_CHECK_PORT_SERVICE"
  check_ui "\"Uninstall\" stays enabled" enabled 1 state "$IDC_UNINSTALL_CHECKED"
  e2e_screenshot printer-only

  e2e_uninstall_checked 60 || return 1
  check_eq "the confirmation is the printer's with its name" "$E2E_CONFIRM_PRINTER" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  e2e_close_app

  check_seeded "only the queue and its settings are gone" maker 1 "${REMOVED[@]}"
  check_canary
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the forms stay without the driver" "Form [Model 80x200mm] Deleted!"
  check_log_lacks "the driver is not deleted" "Try to delete $PRINTER driver."
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
