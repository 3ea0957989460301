# Scenario: "Uninstall selected printer" on one of two queues sharing a driver removes that queue only and keeps the driver
PRINTER="Korvex Model 80"
OTHER_PRINTER="Korvex Model 80 Office"
CONFIRM_TEXT='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
CHECK_PRINTER=1018
CHECK_DRIVER=1019
SEQUENCE_SECONDS=60
# The queue and its product keys go; the driver with its files, the port
# service and, with two queues listed, the control-panel settings stay.
REMOVED=(
  'printer.Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker shared canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "both queues are listed" combo.count 2 combo "$COMBO"
  check_eq "the first entry is \"$PRINTER\"" "$PRINTER" "$(ui_get combo.0)"
  check_eq "the second entry is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.1)"
  ui combo-select "$COMBO" 0
  check_ui "shared driver: \"Driver of selected printer\" is unchecked" checked 0 state "$CHECK_DRIVER"
  check_ui "shared driver: \"Driver of selected printer\" is disabled" enabled 0 state "$CHECK_DRIVER"
  check_ui "shared driver: \"Selected printer\" is checked" checked 1 state "$CHECK_PRINTER"
  check_ui "shared driver: \"Selected printer\" is enabled" enabled 1 state "$CHECK_PRINTER"
  e2e_screenshot selected

  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the confirmation is string 139 with the printer's name" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "only the other queue is listed" combo.count 1 combo "$COMBO"
  check_eq "the listed queue is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  check_ui "its driver is no longer shared: \"Driver of selected printer\" is enabled" enabled 1 state "$CHECK_DRIVER"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "only the queue and its product keys are gone" maker 1 "${REMOVED[@]}"
  check_seeded "the other queue and its keys stay" shared 1
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRkTx\\$PRINTER] deleted!" \
    "$SEPARATOR"
  check_log_lacks "the forms of the shared driver stay" "Form [Model 80x200mm] Deleted!"
  check_log_lacks "the driver branch does not run" "Try to delete $PRINTER driver."
  check_log_lacks "no port service use check is made" "\"VOMUUSB\" is not still used."
  check_log_lacks "the control-panel settings stay" "Try to delete [C:\\Program Files\\Korvex\\QdConsole] dir and all sub-dir"
}
