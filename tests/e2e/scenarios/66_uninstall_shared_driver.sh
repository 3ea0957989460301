# Scenario: "Uninstall selected printer" on one of two queues sharing a driver removes that queue only and keeps the driver
PRINTER=$E2E_PRINTER
OTHER_PRINTER="Korvex Model 80 Office"
# The queue and its product keys go; the driver with its files, the port
# service and, with two queues listed, the control-panel settings stay.
REMOVED=('printer.Korvex Model 80' "${E2E_MAKER_PRODUCT_KEYS[@]}")

scenario_main() {
  e2e_begin --hold maker shared canary || return 1

  check_ui "both queues are listed" combo.count 2 combo "$IDC_PRINTER_COMBO"
  check_eq "the first entry is \"$PRINTER\"" "$PRINTER" "$(ui_get combo.0)"
  check_eq "the second entry is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.1)"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  check_ui "shared driver: \"Driver of selected printer\" is unchecked" checked 0 state "$IDC_CHECK_DRIVER"
  check_ui "shared driver: \"Driver of selected printer\" is disabled" enabled 0 state "$IDC_CHECK_DRIVER"
  check_ui "shared driver: \"Selected printer\" is checked" checked 1 state "$IDC_CHECK_PRINTER"
  check_ui "shared driver: \"Selected printer\" is enabled" enabled 1 state "$IDC_CHECK_PRINTER"
  e2e_screenshot selected

  e2e_uninstall_selected 60 || return 1
  check_eq "the confirmation is the printer's with its name" "$E2E_CONFIRM_PRINTER" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  check_ui "only the other queue is listed" combo.count 1 combo "$IDC_PRINTER_COMBO"
  check_eq "the listed queue is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  check_ui "its driver is no longer shared: \"Driver of selected printer\" is enabled" enabled 1 state "$IDC_CHECK_DRIVER"
  e2e_close_app

  check_seeded "only the queue and its product keys are gone" maker 1 "${REMOVED[@]}"
  check_seeded "the other queue and its keys stay" shared 1
  check_canary
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRkTx\\$PRINTER] deleted!" \
    "$E2E_SEPARATOR"
  check_log_lacks "the forms of the shared driver stay" "Form [Model 80x200mm] Deleted!"
  check_log_lacks "the driver branch does not run" "Try to delete $PRINTER driver."
  check_log_lacks "no port service use check is made" "\"VOMUUSB\" is not still used."
  check_log_lacks "the control-panel settings stay" "Try to delete [C:\\Program Files\\Korvex\\QdConsole] dir and all sub-dir"
}
