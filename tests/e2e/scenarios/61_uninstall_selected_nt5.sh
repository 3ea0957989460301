# Scenario: "Uninstall selected printer" on an NT 5 system cleans the driver backup directories, not the driver store
PRINTER=$E2E_PRINTER
BACKUP_DIR='C:\windows\system32\spool\drivers\x64\vid_0e7b_pid_0105_mi_00'
DRVSTORE_DIR='C:\windows\system32\DRVSTORE'
DRVSTORE_BACKUP='C:\windows\system32\DRVSTORE\korvex80_1a2b3c4d'
# What the removal leaves by design, as on NT 6, and what only the NT 6
# driver-store cleanup would take: the driver packages, their temporary copy
# and the cabinet file.
LEFT_BY_DESIGN=(
  "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  'device.USBPRINT\KORVEXMODEL_80\7&1A2B3C4D&0&USB001'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvexmodel80.gpd'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
  'file.C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c\sub\korvex80.gpd'
  'file.C:\windows\system32\spool\drivers\x64\PCC\korvex80.inf_amd64_neutral_4f3e2d1c.cab'
)
OTHER_VENDOR_BACKUP='file.C:\windows\system32\DRVSTORE\other_99887766\other.inf'

scenario_main() {
  e2e_hold_wineserver
  e2e_windows_version winxp64 5.2
  e2e_begin maker backup canary || return 1

  check_ui "the maker's printer is listed" combo.0 "$PRINTER" combo "$IDC_PRINTER_COMBO"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_uninstall_selected 120 || return 1
  check_eq "the confirmation is the printer's with its name" "$E2E_CONFIRM_PRINTER" "$E2E_CONFIRMATION"
  check_completed_only
  e2e_screenshot after
  e2e_close_app

  check_seeded "the maker installation is gone but what stays by design and what only NT 6 removes" \
    maker 0 "${LEFT_BY_DESIGN[@]}"
  check_seeded "the printer's backup directories are gone, another vendor's stays" backup 0 "$OTHER_VENDOR_BACKUP"
  check_canary
  check_spooler_running
  check_log_in_order "the log runs from the printer to the separator" \
    "Deleted! [$PRINTER]" \
    "Driver [$PRINTER] does NOT still exists" \
    "Try to delete [$BACKUP_DIR] dir and all sub-dir" \
    "[$BACKUP_DIR] directory and all sub-directory deleted!" \
    "Try to find if a backup directory is present into [$DRVSTORE_DIR]." \
    "[$DRVSTORE_BACKUP] directory and all sub-directory deleted!" \
    "\"VOMUUSB\" is not still used." \
    "Deleted the Device with Hardware ID [USB\\VID_0E7B&PID_0105&MI_01]" \
    "Try to delete [C:\\Program Files\\Korvex\\QdConsole] dir and all sub-dir" \
    "$E2E_SEPARATOR"
  check "no driver package is removed from the driver store" bash -c "! grep -q 'Driver package' '$E2E_LOG_FILE'"
}
