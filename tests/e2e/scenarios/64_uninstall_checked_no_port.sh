# Scenario: "Uninstall" with printer and driver checked but not the port service leaves the port service in place
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
SHOW_ADVANCED=1017
CHECK_PRINTER=1018
CHECK_DRIVER=1019
CHECK_PORT_SERVICE=1020
UNINSTALL_CHECKED=1021
SEQUENCE_SECONDS=120
# Left by design as with "Uninstall selected printer", and the port service
# with everything that belongs to it.
KEPT=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
  'service.VomuUsb'
  'device.USB\VID_0E7B&PID_0105&MI_01\6&2C3D4E5F&0&0001'
  'file.C:\windows\system32\drivers\VOMUUSB.sys'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1
  ui click "$SHOW_ADVANCED"
  ui click "$CHECK_PORT_SERVICE"
  check_ui "\"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$CHECK_PORT_SERVICE"
  check_ui "\"Selected printer\" stays checked" checked 1 state "$CHECK_PRINTER"
  check_ui "\"Driver of selected printer\" stays checked" checked 1 state "$CHECK_DRIVER"
  e2e_screenshot no-port

  e2e_run_uninstall "$UNINSTALL_CHECKED" "$SEQUENCE_SECONDS" || { e2e_fail "\"Uninstall\" asks for confirmation"; return 1; }
  check_eq "the confirmation is string 139 with the printer's name" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "no printer left: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$CHECK_PORT_SERVICE"
  check_ui "no printer left: \"Uninstall\" is disabled" enabled 0 state "$UNINSTALL_CHECKED"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "the printer and its driver are gone, the port service stays" maker 0 "${KEPT[@]}"
  check_seeded "the canary is untouched" canary 1
  check_service_state "the spooler is running afterwards" spooler running
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Driver [$PRINTER] does NOT still exists" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$SEPARATOR"
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
