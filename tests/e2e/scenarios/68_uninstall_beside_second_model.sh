# Scenario: "Uninstall selected printer" on one of two maker models with their own drivers keeps what the other model still uses
PRINTER="Korvex Model 80"
OTHER_PRINTER="Korvex Model 58"
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=180
# What stays of Model 80: the DLLs that Model 58's driver names too, the
# support DLL outside the fixed list, the port service that Model 58's device
# still runs (with its INF files, driver file and device entry), the USB
# entries of the printer, and with two printers listed the control-panel
# application and its settings.
LEFT=(
  'file.C:\windows\system32\QdRk.dll'
  'file.C:\windows\system32\QdRkTx.dll'
  'file.C:\windows\system32\korvex80res.dll'
  'service.VomuUsb'
  'file.C:\windows\system32\drivers\VOMUUSB.sys'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
  'device.USB\VID_0E7B&PID_0105&MI_01\6&2C3D4E5F&0&0001'
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
  'key.HKCU\Software\Korvex\QdConsole\App. settings'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker second canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "both maker models are listed" combo.count 2 combo "$COMBO"
  local index=-1 i
  for i in 0 1; do [[ $(ui_get "combo.$i") == "$PRINTER" ]] && index=$i; done
  check "\"$PRINTER\" is one of them" test "$index" -ge 0
  ((index >= 0)) || return 1
  ui combo-select "$COMBO" "$index"
  e2e_screenshot selected

  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "only the other model is listed" combo.count 1 combo "$COMBO"
  check_eq "the listed printer is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  check_service_state "the spooler runs after the sequence" spooler running
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "Model 80 is gone but for what the other model uses and what stays by design" maker 0 "${LEFT[@]}"
  check_seeded "the other model is untouched" second 1
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the log runs from the printer through the shared parts to the separator" \
    "Deleted! [$PRINTER]" \
    "Dll [QdRk.dll] is still used. We won't delete it!" \
    "Dll [QdRkTx.dll] is still used. We won't delete it!" \
    "Driver [$PRINTER] does NOT still exists" \
    "\"VOMUUSB\" is still used." \
    "$SEPARATOR"
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
