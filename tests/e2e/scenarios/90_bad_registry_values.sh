# Scenario: registry values of the wrong type or at the 255-byte limit, and a link in the driver-store copy, delete nothing outside the target
PRINTER="Korvex Model 80"
FITTING_PRINTER="Korvex Model 82"
COMBO=1013
SEQUENCE_SECONDS=180
DRIVERS_KEY='SYSTEM\CurrentControlSet\Control\Print\Environments\Windows x64\Drivers\Version-3'
VERSION2_KEY='SYSTEM\CurrentControlSet\Control\Print\Environments\Windows NT x86\Drivers\Version-2'
PRINTERS_KEY='SOFTWARE\Microsoft\Windows NT\CurrentVersion\Print\Printers'
STORE_TEMP='C:\windows\System32\DriverStore\Temp\korvex80.inf_amd64_neutral_4f3e2d1c'
LINK_NAME=linked-canary
# What a removal leaves by design (as in the plain removal), and the two
# printers listed next to it.
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
  # Two printers were listed: the control-panel application is not removed.
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
  'key.HKCU\Software\Korvex\QdConsole\App. settings'
  # The other listed printer's DeviceInstanceId is a number: whether it uses
  # the port service cannot be told, so the service and its files stay.
  'device.USB\VID_0E7B&PID_0105&MI_01\6&2C3D4E5F&0&0001'
  'service.VomuUsb'
  'file.C:\windows\system32\drivers\VOMUUSB.sys'
  'file.C:\windows\inf\oem13.inf'
  'file.C:\windows\inf\oem13.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\vomuusb.inf_amd64_neutral_0a1b2c3d\vomuusb.inf'
)
# The files of the Temp copy: the tree deletion stops at the link that it
# cannot remove, so those listed after it in directory order stay.
TEMP_FILES=(korvex80.inf 'sub\korvex80.gpd')

scenario_main() {
  e2e_seed maker canary odd-makers bad-values >/dev/null || { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  # A directory link inside the driver-store Temp copy that leads to the
  # canary tree: Wine reports a Unix symbolic link as a reparse point.
  ln -s "$WINEPREFIX/drive_c/canary" "$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/$LINK_NAME"
  check_seeded "the maker installation is in place" maker 1
  e2e_start_app_or_fail || return 1

  check_ui "the maker printer and the one with a 254-byte Manufacturer are listed" combo.count 2 combo "$COMBO"
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
    "$(string_table 156)$STORE_TEMP\\$LINK_NAME\r\n$STORE_TEMP\r\n" "$(e2e_boxes_joined)"

  ui combo "$COMBO"
  check_eq "only $FITTING_PRINTER is left in the list" "1|$FITTING_PRINTER" "$(ui_get combo.count)|$(ui_get combo.0)"
  check_service_state "the spooler runs after the sequence" spooler running
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  local left=() file unix
  for file in "${TEMP_FILES[@]}"; do
    unix=$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/${file//\\//}
    [[ -e $unix ]] && left+=("file.$STORE_TEMP\\$file")
  done
  e2e_note "Temp copy files left before the link: ${#left[@]}"
  check_seeded "everything of the maker installation is gone but what stays by design" maker 0 \
    "${LEFT_BY_DESIGN[@]}" "${left[@]}"
  check_seeded "the other maker printers are untouched" odd-makers 1
  check_seeded "the canary is untouched" canary 1
  check "the link is still there" test -L "$WINEPREFIX/drive_c/windows/system32/DriverStore/Temp/korvex80.inf_amd64_neutral_4f3e2d1c/$LINK_NAME"
  check_log_line "Deleted! [$PRINTER]"
  check_log_line "Driver [$PRINTER] does NOT still exists"
  check_log_line "Impossible verify if printer [$FITTING_PRINTER] uses VOMUUSB: [HKEY_LOCAL_MACHINE\\$PRINTERS_KEY\\$FITTING_PRINTER\\PnPData\\DeviceInstanceId] could not be read (type 4 instead of a string). VOMUUSB is kept."
  check_log_line "Error! Impossible to delete file \"$STORE_TEMP\\$LINK_NAME!\""
  check_log_line "Impossible to delete [$STORE_TEMP] directory or sub-directory."
  check_log_line "------------------------------------------------------------------------"
}
