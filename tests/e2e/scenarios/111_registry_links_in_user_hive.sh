# Scenario: the control-panel key and a product key that are registry links in the user's hive are deleted as links; the keys they point to and the folder named there stay
PRINTER="Korvex Model 80"
COMBO=1013
UNINSTALL_SELECTED=1014
SEQUENCE_SECONDS=180
LEFT_BY_DESIGN=(
  'file.C:\windows\system32\korvex80res.dll'
  'device.USB\VID_0E7B&PID_0105\KVX80000001'
  'device.USB\VID_0E7B&PID_0105&MI_00\6&2C3D4E5F&0&0000'
)
# The control-panel "Path" would have been read through the link: the
# directory it names is not deleted.
LEFT_BY_REFUSAL=(
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
)

scenario_main() {
  e2e_seed canary safety-reg-links maker >/dev/null ||
    { e2e_fail "seeding" "$(cat "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  check_seeded "the links and what they point to are in place" safety-reg-links 1
  e2e_start_app_or_fail || return 1
  ui combo-select "$COMBO" 0
  e2e_run_uninstall "$UNINSTALL_SELECTED" "$SEQUENCE_SECONDS" || { e2e_fail "the button asks for confirmation"; return 1; }
  check_eq "boxes: the settings could not all go" "$(string_table 154)" "$(e2e_boxes_joined)"
  ui close
  e2e_wait_app_exit || e2e_fail "the program ends when closed"

  check_log_line "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\$PRINTER] is a registry link: only the link is deleted, the key it points to stays."
  check_log_line "Key [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole] is a registry link: only the link is deleted, the key it points to stays."
  check_log_line "The control-panel application's directory is not deleted: its path would be read through the registry link [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole]. Error 0."
  check_seeded "the links are gone, what they point to stays" safety-reg-links 1 \
    'key.HKCU\Software\Korvex\QdConsole' 'key.HKCU\SOFTWARE\QD\QdRk\Korvex Model 80'
  check "the other product's value is kept" reg_key_exists 'HKCU\Software\Othervendor\Printer\Sub'
  check_seeded "the installation is gone but what stays by design" maker 0 \
    "${LEFT_BY_DESIGN[@]}" "${LEFT_BY_REFUSAL[@]}"
  check_seeded "the canary is untouched" canary 1
}
