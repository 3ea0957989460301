# Scenario: registry values of the wrong type or at the 255-byte limit, and a link in the driver-store copy, delete nothing outside the target
PRINTER=$E2E_PRINTER
FITTING_PRINTER="Korvex Model 82"
SEQUENCE_SECONDS=180
DRIVERS_KEY='SYSTEM\CurrentControlSet\Control\Print\Environments\Windows x64\Drivers\Version-3'
VERSION2_KEY='SYSTEM\CurrentControlSet\Control\Print\Environments\Windows NT x86\Drivers\Version-2'
PRINTERS_KEY='SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers'
STORE_TEMP='C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c'
LINK_NAME=linked-canary
# What a removal leaves by design (as in the plain removal), and the two
# printers listed next to it.
LEFT_BY_DESIGN=(
  "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  # Two printers were listed: the control-panel application is not removed.
  "${E2E_MAKER_CONSOLE[@]}"
  # The other listed printer's DeviceInstanceId is a number: whether it uses
  # the port service cannot be told, so the service and its files stay.
  "${E2E_MAKER_PORT_SERVICE[@]}"
)
# The files of the Temp copy: the tree deletion stops at the link that it
# cannot remove, so those listed after it in directory order stay.
TEMP_FILES=(korvex80.inf 'sub\korvex80.gpd')

scenario_main() {
  e2e_seed_or_fail maker canary odd-makers bad-values || return 1
  # A directory link inside the driver-store Temp copy that leads to the
  # canary tree: Wine reports a Unix symbolic link as a reparse point.
  ln -s "$WINEPREFIX/drive_c/canary" "$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/$LINK_NAME"
  check_seeded "the maker installation is in place" maker 1
  e2e_start_app_or_fail || return 1

  check_ui "the maker printer and the one with a 254-byte Manufacturer are listed" combo.count 2 combo "$IDC_PRINTER_COMBO"
  check_eq "listed: $PRINTER, $FITTING_PRINTER" "$PRINTER|$FITTING_PRINTER" "$(ui_get combo.0)|$(ui_get combo.1)"
  check_log_line "Impossible to read [$VERSION2_KEY\\Korvex Model 81\\Manufacturer] key!"
  check_log_line "Impossible to read [$VERSION2_KEY\\Korvex Model 83\\Manufacturer] key!"
  check_log_line "Impossible read [$PRINTERS_KEY\\$FITTING_PRINTER\\PnPData\\DeviceInstanceId] key. Impossible verify if this printer uses VOMUUSB"
  # The composite device's ParentIdPrefix is binary, not a string.
  check_log_line "Impossible to detect ParentIdPrefix for printer [$PRINTER]."
  check_log_line "Driver File Name NOT Found!"
  check_log_line "[korvex80.inf_amd64_neutral_4f3e2d1c] Driver File Name Found!"

  e2e_select_printer "$PRINTER" || { e2e_fail "select $PRINTER"; return 1; }
  e2e_confirm_uninstall || { e2e_fail "the button asks for confirmation"; return 1; }
  local started=$SECONDS
  e2e_collect_boxes "$SEQUENCE_SECONDS" || e2e_fail "the sequence ends"
  e2e_note "sequence took $((SECONDS - started)) s"
  # The driver-store cleanup counts itself done whatever its tree deletion
  # did; the files it left still make the final report a list, not a success.
  check_eq "the only box after the confirmation lists the link and the Temp copy it stopped at" \
    "$(string_table IDS_REPORT_HEADING)$STORE_TEMP\\$LINK_NAME\r\n$STORE_TEMP\r\n" "$(e2e_boxes_joined)"

  ui combo "$IDC_PRINTER_COMBO"
  check_eq "only $FITTING_PRINTER is left in the list" "1|$FITTING_PRINTER" "$(ui_get combo.count)|$(ui_get combo.0)"
  check_spooler_running "the spooler runs after the sequence"
  e2e_close_app

  local left=() file unix
  for file in "${TEMP_FILES[@]}"; do
    unix=$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/${file//\\//}
    [[ -e $unix ]] && left+=("file.$STORE_TEMP\\$file")
  done
  e2e_note "Temp copy files left before the link: ${#left[@]}"
  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 \
    "${LEFT_BY_DESIGN[@]}" "${left[@]}"
  check_seeded "the other maker printers are untouched" odd-makers 1
  check_canary
  check "the link is still there" test -L "$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/$LINK_NAME"
  check_log_line "Deleted! [$PRINTER]"
  check_log_line "Driver [$PRINTER] does NOT still exists"
  check_log_line "Impossible verify if printer [$FITTING_PRINTER] uses VOMUUSB: [HKEY_LOCAL_MACHINE\\$PRINTERS_KEY\\$FITTING_PRINTER\\PnPData\\DeviceInstanceId] could not be read (type 4 instead of a string). VOMUUSB is kept."
  check_log_line "Error! Impossible to delete file \"$STORE_TEMP\\$LINK_NAME!\""
  check_log_line "Impossible to delete [$STORE_TEMP] directory or sub-directory."
  check_log_line "$E2E_SEPARATOR"
}
