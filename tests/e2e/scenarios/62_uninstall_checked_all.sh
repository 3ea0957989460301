# Scenario: "Uninstall" with printer, driver and port service checked removes the whole installation without a use check
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "VOMUUSB" service, "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
SHOW_ADVANCED=1017
CHECK_PRINTER=1018
CHECK_DRIVER=1019
CHECK_PORT_SERVICE=1020
UNINSTALL_CHECKED=1021
SEQUENCE_SECONDS=120
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1
  ui click "$SHOW_ADVANCED"
  check_ui "one printer: \"Selected printer\" is checked" checked 1 state "$CHECK_PRINTER"
  check_ui "one printer: \"Driver of selected printer\" is checked" checked 1 state "$CHECK_DRIVER"
  check_ui "one printer: \"Force VOMUUSB uninstall\" is checked" checked 1 state "$CHECK_PORT_SERVICE"
  e2e_screenshot advanced

  e2e_run_uninstall "$UNINSTALL_CHECKED" "$SEQUENCE_SECONDS" || { e2e_fail "\"Uninstall\" asks for confirmation"; return 1; }
  check_eq "the confirmation is string 140 with the service and the printer" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Uninstall\" is disabled" enabled 0 state "$UNINSTALL_CHECKED"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 "${LEFT_BY_DESIGN[@]}"
  check_seeded "the canary is untouched" canary 1
  check_service_state "the spooler is running afterwards" spooler running
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Driver [$PRINTER] does NOT still exists" \
    "Try to delete VOMUUSB" \
    "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0105&MI_01]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$SEPARATOR"
  check_log_lacks "the port service is removed without a use check" "\"VOMUUSB\" is not still used."
}
