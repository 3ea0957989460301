# Scenario: "Clean system" removes leftover device entries of uninstalled printer models only
CLEAN_CONFIRM='Un-plug all your USB printers before continue.\r\n\r\nYou are going to delete unused USB links.\r\nContinue?'
DONE_TEXT="Done!"
ORPHAN_PRINTER='device.USB\VID_0E7B&PID_0177\KVX77000001'

scenario_main() {
  e2e_begin maker orphans canary || return 1
  ui click "$IDC_ADVANCED_TOGGLE"
  check_ui "\"Clean system\" is shown with the advanced settings" visible 1 state "$IDC_CLEAN_SYSTEM"
  e2e_screenshot advanced
  ui click "$IDC_CLEAN_SYSTEM" --post
  if ui box-text 10; then
    check_eq "it asks with the \"Clean system\" confirmation" "$CLEAN_CONFIRM" "$(ui_get box.text)"
    ui box-answer "$E2E_IDOK"
    if ui box-text 60; then
      check_eq "it ends with \"$DONE_TEXT\"" "$DONE_TEXT" "$(ui_get box.text)"
      ui box-answer "$E2E_IDOK"
    else
      e2e_fail "it ends with \"$DONE_TEXT\""
    fi
  else
    e2e_fail "it asks for confirmation"
  fi
  e2e_close_app
  check_seeded "only the entry of the uninstalled model is removed" orphans 1 "$ORPHAN_PRINTER"
  check_seeded "the installed printer and its devices stay" maker 1
  check_canary
  check_log_line "Found a device with ID [USB\\VID_0E7B&PID_0299]: this device is not a printer so it was not cleaned"
  check_log_line "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0177]"
}
