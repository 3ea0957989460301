# Scenario: "Uninstall selected printer" removes a complete maker installation and nothing else
PRINTER=$E2E_PRINTER

scenario_main() {
  e2e_seed_or_fail maker canary || return 1
  check_seeded "the maker installation is in place" maker 1
  e2e_start_app_or_fail || return 1

  check_ui "only the maker's printer is listed" combo.count 1 combo "$IDC_PRINTER_COMBO"
  check_eq "the listed printer is \"$PRINTER\"" "$PRINTER" "$(ui_get combo.0)"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_screenshot selected

  e2e_uninstall_selected || return 1
  check_eq "the confirmation is the printer's with its name" "$E2E_CONFIRM_PRINTER" "$E2E_CONFIRMATION"
  check_eq "the confirmation offers Cancel" Cancel "$E2E_CONFIRMATION_CANCEL"
  check_completed_only
  e2e_screenshot after

  ui combo "$IDC_PRINTER_COMBO"
  check "the printer is no longer listed" test "$(ui_get combo.0)" != "$PRINTER"
  e2e_close_app

  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  check_canary
  check_log_line "Deleted! [$PRINTER]"
  check_log_line "Driver [$PRINTER] does NOT still exists"
  check_log_line "$E2E_SEPARATOR"
  check_eq "the printer UI was asked to delete the x64 driver" \
    "/dd /m \"$PRINTER\" /h \"x64\" -> deleted" \
    "$(tr -d '\r' <"$WINEPREFIX/drive_c/windows/temp/printui-standin.log" 2>/dev/null | head -n 1)"
}
