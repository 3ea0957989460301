# Scenario: "Clean system" removes leftover device entries of uninstalled printer models only
CLEAN_CONFIRM='Un-plug all your USB printers before continue.\r\n\r\nYou are going to delete unused USB links.\r\nContinue?'
DONE_TEXT="Done!"
SHOW_ADVANCED=1017
CLEAN_SYSTEM=1015
BOX_OK=1
ORPHAN_PRINTER='device.USB\VID_0E7B&PID_0177\KVX77000001'

scenario_main() {
  e2e_seed maker orphans canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1
  ui click "$SHOW_ADVANCED"
  check_ui "\"Clean system\" is shown with the advanced settings" visible 1 state "$CLEAN_SYSTEM"
  e2e_screenshot advanced
  ui click "$CLEAN_SYSTEM" --post
  if ui box-text 10; then
    check_eq "it asks with string 133" "$CLEAN_CONFIRM" "$(ui_get box.text)"
    ui box-answer "$BOX_OK"
    if ui box-text 60; then
      check_eq "it ends with \"$DONE_TEXT\"" "$DONE_TEXT" "$(ui_get box.text)"
      ui box-answer "$BOX_OK"
    else
      e2e_fail "it ends with \"$DONE_TEXT\""
    fi
  else
    e2e_fail "it asks for confirmation"
  fi
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"
  check_seeded "only the entry of the uninstalled model is removed" orphans 1 "$ORPHAN_PRINTER"
  check_seeded "the installed printer and its devices stay" maker 1
  check_seeded "the canary is untouched" canary 1
  check_log_line "Found a device with ID [USB\\VID_0E7B&PID_0299]: this device is not a printer so it was not cleaned"
  check_log_line "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0177]"
}
