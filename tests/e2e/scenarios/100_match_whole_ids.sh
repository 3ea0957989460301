# Scenario: "Uninstall selected printer" removes only the INF files and packages that name the printer's id whole, and only the maker's port-service INF, beside a model whose id continues it, INF files naming it inside longer ids or in comments, and another vendor with product id 0E7B
PRINTER=$E2E_PRINTER
OTHER_PRINTER="Korvex Model 80 Plus"
# What stays of Model 80 with a second printer listed: the support DLL outside
# the fixed list, the USB entries of the printer's port ("Clean system"
# handles them; its own printer entry goes before its driver package), and the control-panel application with its settings.
LEFT=("${E2E_MAKER_LEFT_BY_DESIGN[@]}" "${E2E_MAKER_CONSOLE[@]}")

scenario_main() {
  e2e_begin --hold maker prefixmodel decoys pid0e7b canary || return 1
  e2e_select_one_of_two "$PRINTER" || return 1

  e2e_uninstall_selected || return 1
  check_completed_only
  e2e_screenshot after
  check_ui "only the other model is listed" combo.count 1 combo "$IDC_PRINTER_COMBO"
  check_eq "the listed printer is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  e2e_close_app

  check_seeded "Model 80 is gone but for what stays by design" maker 0 "${LEFT[@]}"
  check_seeded "the model whose id continues Model 80's is untouched, with its INF and package" prefixmodel 1
  check_seeded "INF files naming the id inside longer ids or in comments stay, with their packages" decoys 1
  check_seeded "the other vendor's device and INF with product id 0E7B stay" pid0e7b 1
  check_canary
  check_log_in_order "the printer's INF and the port service's INF are the only finds" \
    "Deleted! [$PRINTER]" \
    'Found The File: [C:\windows\inf\oem12.inf]' \
    "\"VOMUUSB\" is not still used." \
    'Found The File: [C:\windows\inf\oem13.inf]' \
    "$E2E_SEPARATOR"
  check "no other INF file was found" test "$(log_texts | grep -c '^Found The File: ')" -eq 2
}
