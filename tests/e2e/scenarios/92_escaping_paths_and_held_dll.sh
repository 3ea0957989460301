# Scenario: a hardware id with ..\, a control-panel Path of C:\windows, C:\ or 255 bytes, and a DLL held open delete nothing outside the target
PRINTER=$E2E_PRINTER
SEQUENCE_SECONDS=180
CONSOLE_KEY='HKCU\Software\Korvex\QdConsole\App. settings'
HELD_DLL='C:\windows\system32\QdRk.dll'
# The wait before the spooler stop and the five attempts on the held DLL,
# each followed by a second's wait (measured: 38 s for the whole sequence
# against 22 s without a held DLL).
HELD_DLL_MIN_SECONDS=6
LEFT_BY_DESIGN=(
  "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  'device.USBPRINT\KORVEXMODEL_80\7&1A2B3C4D&0&USB001'
)
# No InfPath could be read, so the backup directories were cleaned instead
# of the driver store (the port service's package still goes with it).
LEFT_NO_STORE_FOLDER=(
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvexmodel80.gpd'
  'file.C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c\sub\korvex80.gpd'
  'file.C:\windows\system32\spool\drivers\x64\PCC\korvex80.inf_amd64_neutral_4f3e2d1c.cab'
)
# The control-panel Path named the Windows directory: refused, so the
# application's own directory and key stay too.
LEFT_BY_REFUSAL=(
  "file.$HELD_DLL"
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
  "key.$CONSOLE_KEY"
)


scenario_main() {
  e2e_seed_or_fail maker-climbing-id climbing-values canary system-canary climb-targets || return 1
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ 'C:\windows' || e2e_fail "set Path"
  check_seeded "the installation is in place" maker-climbing-id 1
  e2e_hold "$HELD_DLL" || { e2e_fail "hold $HELD_DLL"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "the printer is listed" combo.0 "$PRINTER" combo "$IDC_PRINTER_COMBO"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_confirm_uninstall || { e2e_fail "the button asks for confirmation"; return 1; }
  local started=$SECONDS
  e2e_collect_boxes "$SEQUENCE_SECONDS" || e2e_fail "the sequence ends"
  local took=$((SECONDS - started))
  e2e_note "sequence with a held DLL took $took s"
  check "the sequence took the five attempts on the held DLL ($took s)" test "$took" -ge "$HELD_DLL_MIN_SECONDS"
  check_eq "boxes: the DLL, the refused Path, the list of what stayed" \
    "$(string_table IDS_MSG_DLL)|$(string_table IDS_MSG_FILES)|$(string_table IDS_REPORT_HEADING)$HELD_DLL\\r\\n" "$(e2e_boxes_joined)"
  check_spooler_running "the spooler runs after the sequence"
  e2e_release

  check_log_line "File [$HELD_DLL] NOT deleted! Error 32."
  check_log_line "Directory [C:\\windows] NOT deleted: it is a shell or system folder or lies above one."
  check_log_line "[C:\\windows\\system32\\spool\\drivers\\x64\\vid_0e7b_pid_0105_mi_00_______canary] directory and all sub-directory deleted!"
  check_log_line "[C:\\windows\\system32\\DRVSTORE\\korvex80_1a2b] directory and all sub-directory deleted!"
  check_seeded "the installation is gone but what stays by design" maker-climbing-id 0 \
    "${LEFT_BY_DESIGN[@]}" "${LEFT_NO_STORE_FOLDER[@]}" "${LEFT_BY_REFUSAL[@]}"
  check_seeded "where the hardware id leads, nothing is touched" climb-targets 1

  # A drive root: a new queue of the driver, so that one printer is listed.
  e2e_seed maker-queue-2 >/dev/null || e2e_fail "seeding the second queue"
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ 'C:\' || e2e_fail "set Path"
  e2e_remove_queue_only "Korvex Model 80 (2)"
  check_eq "the refused drive root is reported" "$(string_table IDS_MSG_FILES)" "$(e2e_boxes_joined)"
  check_log_line "Directory [C:\\] NOT deleted: it is a drive root."

  # 255 bytes that would name the canary tree if cut to the read buffer.
  local long='C:\canary'
  while ((${#long} < 254)); do long+='\'; done
  e2e_seed maker-queue-3 >/dev/null || e2e_fail "seeding the third queue"
  e2e_reg_set "$CONSOLE_KEY" Path REG_SZ "$long" || e2e_fail "set Path"
  e2e_remove_queue_only "Korvex Model 80 (3)"
  check_eq "a Path that cannot be read counts as no application" "$(string_table IDS_UNINSTALL_COMPLETED)" "$(e2e_boxes_joined)"
  check_log_line "Impossible read from [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole\\App. settings\\Path] key. Probably software is not installed"
  e2e_close_app

  check_seeded "the system folders' canaries are untouched" system-canary 1
  check_canary
  check "system32 is intact" test -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll"
}
