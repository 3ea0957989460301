# Scenario: "Uninstall selected printer" on an NT 5 system cleans the driver backup directories, not the driver store
PRINTER="Korvex Model 80"
CONFIRM_TEXT='You are going to uninstall "Korvex Model 80" printer and related system components.\r\nClose all printer windows and all driver property panels before continue.\r\nContinue?'
COMPLETED_TEXT="Uninstallation completed!"
SEPARATOR=------------------------------------------------------------------------
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=120
WINDOWS_VERSION=winxp64
NT5_VERSION=5.2
BACKUP_DIR='C:\windows\system32\spool\drivers\x64\vid_0e7b_pid_0105_mi_00'
DRVSTORE_DIR='C:\windows\system32\DRVSTORE'
DRVSTORE_BACKUP='C:\windows\system32\DRVSTORE\korvex80_1a2b3c4d'
# What the removal leaves by design, as on NT 6, and what only the NT 6
# driver-store cleanup would take: the driver packages, their temporary copy
# and the cabinet file.
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
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
  timeout --kill-after=5 "$E2E_WINE_TIMEOUT" wine winecfg -v "$WINDOWS_VERSION" >/dev/null 2>&1
  check_contains "the prefix reports Windows $NT5_VERSION" "$NT5_VERSION" \
    "$(reg_query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion)"
  e2e_seed maker backup canary >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  e2e_start_app_or_fail || return 1

  check_ui "the maker's printer is listed" combo.0 "$PRINTER" combo "$COMBO"
  ui combo-select "$COMBO" 0
  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "the confirmation is string 139 with the printer's name" "$CONFIRM_TEXT" "$E2E_CONFIRMATION"
  check_eq "the only box after the confirmation is \"$COMPLETED_TEXT\"" "$COMPLETED_TEXT" "$(e2e_boxes_joined)"
  e2e_screenshot after
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_seeded "the maker installation is gone but what stays by design and what only NT 6 removes" \
    maker 0 "${LEFT_BY_DESIGN[@]}"
  check_seeded "the printer's backup directories are gone, another vendor's stays" backup 0 "$OTHER_VENDOR_BACKUP"
  check_seeded "the canary is untouched" canary 1
  check_service_state "the spooler is running afterwards" spooler running
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
    "$SEPARATOR"
  check "no driver package is removed from the driver store" bash -c "! grep -q 'Driver package' '$E2E_LOG_FILE'"
}
