# Scenario: "Uninstall selected printer" finds the printer's installed INF stored as UTF-16 text and removes it with its driver-store package
PRINTER=$E2E_PRINTER

scenario_main() {
  e2e_seed_or_fail maker utf16inf canary || return 1
  check "the installed INF is UTF-16 text" bash -c \
    "head -c 2 '$WINEPREFIX/drive_c/windows/inf/oem12.inf' | od -An -tx1 | grep -q 'ff fe'"
  e2e_start_app_or_fail || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_uninstall_selected || return 1
  check_completed_only
  e2e_screenshot after
  e2e_close_app

  # As for the 8-bit INF, only what stays by design is left.
  check_seeded "the UTF-16 INF went with its package and the rest of the installation" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  check_canary
  check_log_in_order "the UTF-16 INF is found" \
    "Deleted! [$PRINTER]" \
    'Found The File: [C:\windows\inf\oem12.inf]' \
    "$E2E_SEPARATOR"
}
