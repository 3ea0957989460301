# Scenario: on NT 5 a printer whose hardware id USBPRINT\3 names the spooler's version directory keeps that directory, and its too short id searches no INF file or DRVSTORE backup
PRINTER="Korvex Model 3"
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=120
WINDOWS_VERSION=winxp64
NT5_VERSION=5.2
HARDWARE_ID='USBPRINT\3'
VERSION_DIR='C:\windows\system32\spool\drivers\x64\3'
DRVSTORE_DIR='C:\windows\system32\DRVSTORE'
SHORT_ID='fewer than 4 characters follow its last backslash'
# The spooler's directory and another product's DRVSTORE backup stay, and so
# does the support DLL outside the fixed list.
LEFT=(
  'file.C:\windows\system32\spool\drivers\x64\3\spoolkeep.dll'
  'file.C:\windows\system32\DRVSTORE\other_30303030\other.inf'
  'file.C:\windows\system32\korvex3res.dll'
)

scenario_main() {
  e2e_hold_wineserver
  timeout --kill-after=5 "$E2E_WINE_TIMEOUT" wine winecfg -v "$WINDOWS_VERSION" >/dev/null 2>&1
  check_contains "the prefix reports Windows $NT5_VERSION" "$NT5_VERSION" \
    "$(reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion)"
  e2e_seed spoolername canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "the maker's printer is listed" combo.0 "$PRINTER" combo "$COMBO"
  ui combo-select "$COMBO" 0
  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "the printer is gone, the spooler's directory and the other backup stay" spoolername 0 "${LEFT[@]}"
  check_seeded "the canary is untouched" canary 1
  check_log_in_order "the id is searched nowhere and the version directory is refused" \
    "Deleted! [$PRINTER]" \
    "Cannot search .inf files for hardware id [$HARDWARE_ID]: $SHORT_ID. No .inf file is removed for it." \
    "Backup directory [$VERSION_DIR] not deleted: it is made only of digits or underscores, as the spooler's version directories are." \
    "Backup directories of [$DRVSTORE_DIR] not searched for hardware id [$HARDWARE_ID]: $SHORT_ID." \
    "$SEPARATOR"
  check_log_lacks "the version directory is not deleted" "Try to delete [$VERSION_DIR] dir and all sub-dir"
}
