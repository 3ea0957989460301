# Scenario: cancelling the confirmation of "Uninstall selected printer" removes nothing
COMBO=1013
UNINSTALL_SELECTED=1014
BOX_CANCEL=2
QUIET_SECONDS=5

scenario_main() {
  e2e_seed maker canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1
  ui combo-select "$COMBO" 0
  ui click "$UNINSTALL_SELECTED" --post
  if ui box-text 10; then
    e2e_pass "the button asks for confirmation"
    ui box-answer "$BOX_CANCEL"
  else
    e2e_fail "the button asks for confirmation"
  fi
  check "no further box appears" ui box-none "$QUIET_SECONDS"
  check_ui "the button is usable again" enabled 1 state "$UNINSTALL_SELECTED"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"
  check_seeded "the maker installation is untouched" maker 1
  check_seeded "the canary is untouched" canary 1
  check "the log holds no deletion" bash -c "! grep -q 'Deleted' '$E2E_LOG_FILE'"
}
