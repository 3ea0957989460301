# Scenario: cancelling the confirmation of "Uninstall selected printer" removes nothing
QUIET_SECONDS=5

scenario_main() {
  e2e_begin maker canary || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  ui click "$IDC_UNINSTALL_SELECTED" --post
  if ui box-text 10; then
    e2e_pass "the button asks for confirmation"
    ui box-answer "$E2E_IDCANCEL"
  else
    e2e_fail "the button asks for confirmation"
  fi
  check "no further box appears" ui box-none "$QUIET_SECONDS"
  check_ui "the button is usable again" enabled 1 state "$IDC_UNINSTALL_SELECTED"
  e2e_close_app
  check_seeded "the maker installation is untouched" maker 1
  check_canary
  check "the log holds no deletion" bash -c "! grep -q 'Deleted' '$E2E_LOG_FILE'"
}
