# Scenario: on NT 5 a printer whose hardware id USBPRINT\3 names the spooler's version directory keeps that directory, and its too short id searches no INF file or DRVSTORE backup
PRINTER="Korvex Model 3"
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
  e2e_windows_version winxp64 5.2
  e2e_begin spoolername canary || return 1

  check_ui "the maker's printer is listed" combo.0 "$PRINTER" combo "$IDC_PRINTER_COMBO"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_uninstall_selected 120 || return 1
  check_completed_only
  e2e_screenshot after
  e2e_close_app

  check_seeded "the printer is gone, the spooler's directory and the other backup stay" spoolername 0 "${LEFT[@]}"
  check_canary
  check_log_in_order "the id is searched nowhere and the version directory is refused" \
    "Deleted! [$PRINTER]" \
    "Cannot search .inf files for hardware id [$HARDWARE_ID]: $SHORT_ID. No .inf file is removed for it." \
    "Backup directory [$VERSION_DIR] not deleted: it is made only of digits or underscores, as the spooler's version directories are." \
    "Backup directories of [$DRVSTORE_DIR] not searched for hardware id [$HARDWARE_ID]: $SHORT_ID." \
    "$E2E_SEPARATOR"
  check_log_lacks "the version directory is not deleted" "Try to delete [$VERSION_DIR] dir and all sub-dir"
}
