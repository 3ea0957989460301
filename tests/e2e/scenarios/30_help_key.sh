# Scenario: F1 and system-menu Help without the manual; Shift+F1 does nothing
HELP_FILE="Purvex manual.pdf"
# String 143, as the driver prints it (CR LF spelled \r\n).
EXPECTED_BOX='Impossible to open "Purvex manual.pdf" help file.\r\nFile doesn'"'"'t exist or path is wrong.\r\nIf problem persists reinstall the driver.'
EXPECTED_LOG='QDConsole -> Error opening help file "Purvex manual.pdf". Error was 2'
BOX_OK=1
QUIET_SECONDS=3

help_lines() { log_lines | grep -cF -- "$EXPECTED_LOG"; }

scenario_main() {
  rm -f "$E2E_APP_DIR/$HELP_FILE"
  e2e_start_app_or_fail || return 1

  ui key F1 --shift
  check "Shift+F1 shows no box" ui box-none "$QUIET_SECONDS"
  check_eq "Shift+F1 writes no help-file line" 0 "$(help_lines)"

  ui key F1
  if ui box-text 10; then
    e2e_pass "F1 shows a message box captioned \"$E2E_APP_NAME\""
    check_eq "the box is string 143 with the manual's name" "$EXPECTED_BOX" "$(ui_get box.text)"
    e2e_screenshot help-box
    ui box-answer "$BOX_OK"
    check "OK closes the box" ui box-gone 10
  else
    e2e_fail "F1 shows a message box captioned \"$E2E_APP_NAME\""
  fi
  check_log_line "$EXPECTED_LOG"
  check_eq "F1 wrote one help-file line" 1 "$(help_lines)"

  ui syscommand 9
  if ui box-text 10; then
    check_eq "system-menu Help shows the same box" "$EXPECTED_BOX" "$(ui_get box.text)"
    ui box-answer "$BOX_OK"
    check "OK closes the box" ui box-gone 10
  else
    e2e_fail "system-menu Help (9) shows a message box"
  fi
  check_eq "system-menu Help wrote a second help-file line" 2 "$(help_lines)"
}
