# Scenario: F1 and system-menu Help without the manual; Shift+F1 does nothing
HELP_FILE="Purvex manual.pdf"
# The "help file not found" string, as the driver prints it (CR LF spelled \r\n).
EXPECTED_BOX='Impossible to open "Purvex manual.pdf" help file.\r\nFile doesn'"'"'t exist or path is wrong.\r\nIf problem persists reinstall the driver.'
EXPECTED_LOG='QDConsole -> Error opening help file "Purvex manual.pdf". Error was 2'
QUIET_SECONDS=3

help_lines() { log_lines | grep -cF -- "$EXPECTED_LOG"; }

scenario_main() {
  rm -f "$E2E_APP_DIR/$HELP_FILE"
  e2e_start_app_or_fail || return 1

  ui key F1 --shift
  check "Shift+F1 shows no box" ui box-none "$QUIET_SECONDS"
  check_eq "Shift+F1 writes no help-file line" 0 "$(help_lines)"

  ui key F1
  check_box "F1 shows a message box captioned \"$E2E_APP_NAME\" with the manual's name" "$EXPECTED_BOX" help-box
  local template
  template=$(string_table IDS_HELP_NOT_FOUND)
  check_eq "the box is the string table's \"help file not found\" with the manual's name" \
    "${template/\%s/$HELP_FILE}" "$EXPECTED_BOX"
  check_log_line "$EXPECTED_LOG"
  check_eq "F1 wrote one help-file line" 1 "$(help_lines)"

  ui syscommand "$IDM_HELP"
  check_box "system-menu Help shows the same box" "$EXPECTED_BOX"
  check_eq "system-menu Help wrote a second help-file line" 2 "$(help_lines)"
}
