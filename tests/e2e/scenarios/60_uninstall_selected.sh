# Scenario: "Uninstall selected printer" removes a complete maker installation and nothing else
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=180
# What a removal leaves by design: a support DLL outside the fixed DLL list,
# and the USB device entries of the printer's port (its own printer entry goes
# before its driver package; "Clean system" handles the others).
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
)

scenario_main() {
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  check_seeded "the maker installation is in place" maker 1
  e2e_start_app_or_fail || return 1

  check_ui "only the maker's printer is listed" combo.count 1 combo "$COMBO"
  check_eq "the listed printer is \"$PRINTER\"" "$PRINTER" "$(ui_get combo.0)"
  ui combo-select "$COMBO" 0
  e2e_screenshot selected

  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the confirmation is string 139 with the printer's name" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the confirmation offers Cancel" Cancel "$E2E_CONFIRMATION_CANCEL"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after

  ui combo "$COMBO"
  check "the printer is no longer listed" test "$(ui_get combo.0)" != "$PRINTER"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 "${LEFT_BY_DESIGN[@]}"
  check_seeded "the canary is untouched" canary 1
  check_log_line "Deleted! [$PRINTER]"
  check_log_line "Driver [$PRINTER] does NOT still exists"
  check_log_line "$SEPARATOR"
  check_eq "the printer UI was asked to delete the x64 driver" \
    "/dd /m \"$PRINTER\" /h \"x64\" -> deleted" \
    "$(tr -d '\r' <"$WINEPREFIX/drive_c/windows/temp/printui-standin.log" 2>/dev/null | head -n 1)"
}
