# Scenario: "Uninstall selected printer" removes only the INF files and packages that name the printer's id whole, and only the maker's port-service INF, beside a model whose id continues it, INF files naming it inside longer ids or in comments, and another vendor with product id 0E7B
PRINTER="Korvex Model 80"
OTHER_PRINTER="Korvex Model 80 Plus"
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=180
# What stays of Model 80 with a second printer listed: the support DLL outside
# the fixed list, the USB entries of the printer's port ("Clean system"
# handles them; its own printer entry goes before its driver package), and the control-panel application with its settings.
LEFT=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
  'key.HKCU\Software\Korvex\QdConsole\App. settings'
)

scenario_main() {
  e2e_hold_wineserver
  e2e_seed maker prefixmodel decoys pid0e7b canary >/dev/null ||
    { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "both maker models are listed" combo.count 2 combo "$COMBO"
  local index=-1 i
  for i in 0 1; do [[ $(ui_get "combo.$i") == "$PRINTER" ]] && index=$i; done
  check "\"$PRINTER\" is one of them" test "$index" -ge 0
  ((index >= 0)) || return 1
  ui combo-select "$COMBO" "$index"

  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  check_ui "only the other model is listed" combo.count 1 combo "$COMBO"
  check_eq "the listed printer is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "Model 80 is gone but for what stays by design" maker 0 "${LEFT[@]}"
  check_seeded "the model whose id continues Model 80's is untouched, with its INF and package" prefixmodel 1
  check_seeded "INF files naming the id inside longer ids or in comments stay, with their packages" decoys 1
  check_seeded "the other vendor's device and INF with product id 0E7B stay" pid0e7b 1
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the printer's INF and the port service's INF are the only finds" \
    "Deleted! [$PRINTER]" \
    'Found The File: [C:\windows\inf\oem12.inf]' \
    "\"VOMUUSB\" is not still used." \
    'Found The File: [C:\windows\inf\oem13.inf]' \
    "$SEPARATOR"
  check "no other INF file was found" test "$(log_texts | grep -c '^Found The File: ')" -eq 2
}
