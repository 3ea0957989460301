# Scenario: "Uninstall" with only "Force VOMUUSB uninstall" checked removes the port service and the product settings, not the printer
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "VOMUUSB" service.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
SHOW_ADVANCED=1017
CHECK_PRINTER=1018
CHECK_DRIVER=1019
CHECK_PORT_SERVICE=1020
UNINSTALL_CHECKED=1021
SEQUENCE_SECONDS=120
# What goes: the port service with its device entry, driver file and INF
# files, the printer's product keys and (one printer listed) the
# control-panel settings.
REMOVED=(
  'service.VomuUsb'
  'device.USB\VID_0E7B&PID_0105&MI_01\6&2C3D4E5F&0&0001'
  'file.C:\windows\system32\drivers\VOMUUSB.sys'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
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
  ui click "$CHECK_PRINTER"
  check_ui "unchecking \"Selected printer\" unchecks the driver too" checked 0 state "$CHECK_DRIVER"
  check_ui "\"Force VOMUUSB uninstall\" stays checked" checked 1 state "$CHECK_PORT_SERVICE"
  check_ui "\"Uninstall\" stays enabled" enabled 1 state "$UNINSTALL_CHECKED"
  e2e_screenshot port-only

  e2e_run_uninstall "$UNINSTALL_CHECKED" "$SEQUENCE_SECONDS" || { e2e_fail "\"Uninstall\" asks for confirmation"; return 1; }
  check_eq "the confirmation is string 141 naming only the service" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "the printer is still listed" combo.0 "$PRINTER" combo "$COMBO"
  check_ui "the port service is gone: \"Force VOMUUSB uninstall\" is unchecked" checked 0 state "$CHECK_PORT_SERVICE"
  check_ui "the port service is gone: \"Force VOMUUSB uninstall\" is disabled" enabled 0 state "$CHECK_PORT_SERVICE"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "only the port service and the product settings are gone" maker 1 "${REMOVED[@]}"
  check_seeded "the canary is untouched" canary 1
  check_service_state "the spooler is running afterwards" spooler running
  check_log_in_order "the log runs from the port service to the separator" \
    "Try to delete VOMUUSB" \
    "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0105&MI_01]" \
    "Key [HKEY_LOCAL_MACHINE\\SOFTWARE\\QD\\QdRk\\$PRINTER] deleted!" \
    "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!" \
    "$SEPARATOR"
  check_log_lacks "the printer is not deleted" "Deleted! [$PRINTER]"
  check_log_lacks "the driver is not deleted" "Try to delete $PRINTER driver."
}
