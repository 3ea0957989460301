# Scenario: "Uninstall" with only "Selected printer" checked removes the queue and its settings but keeps the driver and its forms
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
SHOW_ADVANCED=1017
CHECK_PRINTER=1018
CHECK_DRIVER=1019
CHECK_PORT_SERVICE=1020
UNINSTALL_CHECKED=1021
SEQUENCE_SECONDS=60
REMOVED=(
  'printer.Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKLM\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRk\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkTx\Korvex Model 80'
  'key.HKCU\SOFTWARE\QD\QdRkDriverInfo\Korvex Model 80'
  'key.HKCU\Software\Korvex\QdConsole\App. settings'
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1
  ui click "$SHOW_ADVANCED"
  ui click "$CHECK_DRIVER"
  check_ui "\"Selected printer\" stays checked" checked 1 state "$CHECK_PRINTER"
  check_ui "\"Selected printer\" is enabled" enabled 1 state "$CHECK_PRINTER"
  ui click "$CHECK_DRIVER"
  check_ui "checking the driver disables \"Selected printer\"" enabled 0 state "$CHECK_PRINTER"
  ui click "$CHECK_DRIVER"
  check_ui "unchecking the driver enables \"Selected printer\" again" enabled 1 state "$CHECK_PRINTER"
  ui click "$CHECK_PORT_SERVICE"
  check_ui "\"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$CHECK_PORT_SERVICE"
  check_ui "\"Uninstall\" stays enabled" enabled 1 state "$UNINSTALL_CHECKED"
  e2e_screenshot printer-only

  e2e_run_uninstall "$UNINSTALL_CHECKED" "$SEQUENCE_SECONDS" || { e2e_fail "\"Uninstall\" asks for confirmation"; return 1; }
  check_eq "the confirmation is string 139 with the printer's name" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "only the queue and its settings are gone" maker 1 "${REMOVED[@]}"
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$SEPARATOR"
  check_log_lacks "the forms stay without the driver" "Form [Model 80x200mm] Deleted!"
  check_log_lacks "the driver is not deleted" "Try to delete $PRINTER driver."
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
