# Scenario: the control-panel key and a product key that are registry links in the user's hive are deleted as links; the keys they point to and the folder named there stay
PRINTER=$E2E_PRINTER
# The control-panel "Path" would have been read through the link: the
# directory it names is not deleted.
LEFT_BY_REFUSAL=(
  'file.C:\Program Files\Korvex\QdConsole\QdConsole.exe'
  'file.C:\Program Files\Korvex\QdConsole\lang\en.txt'
)

scenario_main() {
  e2e_seed_or_fail canary safety-reg-links maker || return 1
  check_seeded "the links and what they point to are in place" safety-reg-links 1
  e2e_start_app_or_fail || return 1
  ui combo-select "$IDC_PRINTER_COMBO" 0
  e2e_uninstall_selected || return 1
  check_eq "boxes: the settings could not all go" "$(string_table IDS_MSG_FILES)" "$(e2e_boxes_joined)"
  e2e_close_app

  check_log_line "Key [HKEY_CURRENT_USER\\SOFTWARE\\QD\\QdRk\\$PRINTER] is a registry link: only the link is deleted, the key it points to stays."
  check_log_line "Key [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole] is a registry link: only the link is deleted, the key it points to stays."
  check_log_line "The control-panel application's directory is not deleted: its path would be read through the registry link [HKEY_CURRENT_USER\\Software\\Korvex\\QdConsole]. Error 0."
  check_seeded "the links are gone, what they point to stays" safety-reg-links 1 \
    'key.HKCU\Software\Korvex\QdConsole' 'key.HKCU\SOFTWARE\QD\QdRk\Korvex Model 80'
  check "the other product's value is kept" reg_key_exists 'HKCU\Software\Othervendor\Printer\Sub'
  check_seeded "the installation is gone but what stays by design" maker 0 \
    "${E2E_MAKER_LEFT_BY_DESIGN[@]}" "${LEFT_BY_REFUSAL[@]}"
  check_canary
}
