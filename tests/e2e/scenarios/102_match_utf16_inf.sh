# Scenario: "Uninstall selected printer" finds the printer's installed INF stored as UTF-16 text and removes it with its driver-store package
PRINTER="Korvex Model 80"
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=180
# As for the 8-bit INF: a support DLL outside the fixed DLL list and the USB
# entries of the printer's port stay by design (its own printer entry goes
# before its driver package).
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
)

scenario_main() {
  e2e_seed maker utf16inf canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  check "the installed INF is UTF-16 text" bash -c \
    "head -c 2 '$WINEPREFIX/drive_c/windows/inf/oem12.inf' | od -An -tx1 | grep -q 'ff fe'"
  e2e_start_app_or_fail || return 1
  ui combo-select "$COMBO" 0
  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "the UTF-16 INF went with its package and the rest of the installation" maker 0 "${LEFT_BY_DESIGN[@]}"
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the UTF-16 INF is found" \
    "Deleted! [$PRINTER]" \
    'Found The File: [C:\windows\inf\oem12.inf]' \
    "$SEPARATOR"
}
