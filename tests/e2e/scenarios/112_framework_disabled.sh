# Scenario: without the driver-install framework (DIFXAPI disabled) the SetupAPI fallback cannot find the packages under Wine: the INF files of packages that may still be in the store are kept and reported, the sequence ends with code 50
PRINTER_INF='C:\windows\inf\oem12.inf'
# Wine's SetupAPI has no store-location call, so no package can be looked
# up: the packages stay in the store and keep their INF files.
LEFT_IN_THE_STORE=(
  "file.$PRINTER_INF"
  'file.C:\windows\inf\oem12.pnf'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvexmodel80.gpd'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
)

scenario_main() {
  e2e_seed_or_fail maker canary || return 1
  # Disabled: neither the stand-in nor Wine's own stub is loaded.
  export WINEDLLOVERRIDES='mscoree,mshtml=;printui=n,b;difxapi='
  e2e_start_app_or_fail || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_uninstall_selected || return 1
  # Code 50 for the printer's package, again for the port service's, then
  # the report naming the INF that stayed.
  check_eq "boxes: the store could not be cleaned (twice), the INF left" \
    "$(string_table IDS_MSG_BACKUP)|$(string_table IDS_MSG_BACKUP)|$(string_table IDS_REPORT_HEADING)$PRINTER_INF\\r\\n" "$(e2e_boxes_joined)"
  e2e_close_app

  check_log_line "Get driver store inf file for a driver package's inf file FAILED. Error 1630: ERROR_UNSUPPORTED_TYPE."
  check_log_line "INF file [$PRINTER_INF] NOT deleted: its package in the driver store could not be looked up (error 1630) and may still be there."
  check_log_line "Device entry [USBPRINT\\KORVEXMODEL_80\\7&1A2B3C4D&0&USB001] of the printer removed."
  check_seeded "the installation is gone but its packages and what stays by design" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}" "${LEFT_IN_THE_STORE[@]}"
  check_canary
}
