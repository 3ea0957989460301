# Scenario: "Uninstall selected printer" on one of two maker models with their own drivers keeps what the other model still uses
PRINTER=$E2E_PRINTER
OTHER_PRINTER="Korvex Model 58"
LEFT=("${E2E_MAKER_LEFT_BESIDE_SECOND[@]}")

scenario_main() {
  e2e_begin --hold maker second canary || return 1
  e2e_select_one_of_two "$PRINTER" || return 1
  e2e_screenshot selected

  e2e_uninstall_selected || return 1
  check_completed_only
  e2e_screenshot after
  check_ui "only the other model is listed" combo.count 1 combo "$IDC_PRINTER_COMBO"
  check_eq "the listed printer is \"$OTHER_PRINTER\"" "$OTHER_PRINTER" "$(ui_get combo.0)"
  check_spooler_running "the spooler runs after the sequence"
  e2e_close_app

  check_seeded "Model 80 is gone but for what the other model uses and what stays by design" maker 0 "${LEFT[@]}"
  check_seeded "the other model is untouched" second 1
  check_canary
  check_log_in_order "the log runs from the printer through the shared parts to the separator" \
    "Deleted! [$PRINTER]" \
    "Dll [QdRk.dll] is still used. We won't delete it!" \
    "Dll [QdRkTx.dll] is still used. We won't delete it!" \
    "Driver [$PRINTER] does NOT still exists" \
    "\"VOMUUSB\" is still used." \
    "$E2E_SEPARATOR"
  check_log_lacks "the port service is not touched" "Try to delete VOMUUSB"
}
