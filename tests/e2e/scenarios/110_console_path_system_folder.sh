# Scenario: a control-panel Path naming a system folder (Program Files' Common Files, then Program Files by another spelling) is kept and logged; an application folder below Program Files goes
SEQUENCE_SECONDS=180
CONSOLE_KEY='HKCU\Software\Korvex\QdConsole\App. settings'

scenario_main() {
  e2e_seed_or_fail maker canary || return 1
  local common="$WINEPREFIX/drive_c/Program Files/Common Files"
  local before
  before=$(find "$common" | sort | md5sum)
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ 'C:\Program Files\Common Files' || e2e_fail "set Path"
  e2e_start_app_or_fail || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_confirm_uninstall || { e2e_fail "the button asks for confirmation"; return 1; }
  e2e_collect_boxes "$SEQUENCE_SECONDS" || e2e_fail "the sequence ends"
  check_eq "boxes: the refused Path" "$(string_table IDS_MSG_FILES)" "$(e2e_boxes_joined)"
  check_log_line "Directory [C:\\Program Files\\Common Files] NOT deleted: it is a shell or system folder or lies above one."
  check_eq "Common Files is untouched" "$before" "$(find "$common" | sort | md5sum)"
  check_seeded "the installation is gone but what stays by design" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}" "${E2E_MAKER_CONSOLE[@]}"

  # Program Files itself, spelled in other letters with a trailing separator.
  e2e_seed maker-queue-2 >/dev/null || e2e_fail "seeding the second queue"
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ 'c:\PROGRAM FILES\' || e2e_fail "set Path"
  e2e_remove_queue_only "Korvex Model 80 (2)"
  check_eq "the refused Program Files is reported" "$(string_table IDS_MSG_FILES)" "$(e2e_boxes_joined)"
  check_log_line "Directory [c:\\PROGRAM FILES\\] NOT deleted: it is a shell or system folder or lies above one."

  # The application's own folder below Program Files goes.
  e2e_seed maker-queue-3 >/dev/null || e2e_fail "seeding the third queue"
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ 'C:\Program Files\Korvex\QdConsole' || e2e_fail "set Path"
  e2e_remove_queue_only "Korvex Model 80 (3)"
  check_log_line "[C:\\Program Files\\Korvex\\QdConsole] directory and all sub-directory deleted!"
  check "the application's folder is gone" test ! -e "$WINEPREFIX/drive_c/Program Files/Korvex/QdConsole"
  e2e_close_app
  check_canary
  check "Program Files is still there" test -d "$WINEPREFIX/drive_c/Program Files/Common Files"
}
