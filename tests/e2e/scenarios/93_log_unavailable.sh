# Scenario: without a usable log (a file named "log" in its place, or the log file held open) the program still starts and removes
PRINTER=$E2E_PRINTER
QUEUE="Korvex Model 80 (2)"
SEQUENCE_SECONDS=180
NOT_A_DIRECTORY="this file stands where the log directory goes"

# A Unix path under / as the prefix's Z: drive shows it.
windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

scenario_main() {
  e2e_seed_or_fail maker canary || return 1

  # The log directory cannot be created: a plain file has its name.
  printf '%s' "$NOT_A_DIRECTORY" >"$E2E_CWD/log"
  e2e_start_app_or_fail || return 1
  check_ui "the printer is listed without a log" combo.0 "$PRINTER" combo "$IDC_PRINTER_COMBO"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_confirm_uninstall || { e2e_fail "the button asks for confirmation"; return 1; }
  e2e_collect_boxes "$SEQUENCE_SECONDS" || e2e_fail "the sequence ends"
  check_eq "the sequence completes without a log" "$(string_table IDS_UNINSTALL_COMPLETED)" "$(e2e_boxes_joined)"
  check_spooler_running "the spooler runs after the sequence"
  e2e_close_app
  check_eq "the program did not crash" 0 "${E2E_APP_EXIT:-?}"
  check_seeded "the installation is gone but what stays by design" maker 0 "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  check_canary
  check_eq "the file named log is left as it was" "$NOT_A_DIRECTORY" "$(cat "$E2E_CWD/log" 2>/dev/null)"

  # The log file exists but another process holds it without sharing.
  local held_cwd=$E2E_SCENARIO_DIR/cwd-held
  mkdir -p "$held_cwd/log"
  e2e_seed maker-queue-2 >/dev/null || e2e_fail "seeding the queue"
  e2e_hold "$(windows_path "$held_cwd/log/$E2E_APP_NAME.log")" || { e2e_fail "hold the log file"; return 1; }
  e2e_start_app_or_fail "$held_cwd" || { e2e_release; return 1; }
  e2e_remove_queue_only "$QUEUE"
  check_eq "the removal completes with the log held" "$(string_table IDS_UNINSTALL_COMPLETED)" "$(e2e_boxes_joined)"
  ui combo "$IDC_PRINTER_COMBO"
  check "the queue is no longer listed" test "$(ui_get combo.0)" != "$QUEUE"
  e2e_close_app
  check_eq "the program did not crash" 0 "${E2E_APP_EXIT:-?}"
  e2e_release
  check_seeded "the queue is gone, its driver stays" maker-queue-2 0 "driver.$PRINTER"
  check_eq "nothing was written to the held log" 0 "$(stat -c %s "$held_cwd/log/$E2E_APP_NAME.log")"
  check_canary
}
