# Scenario: "Preview..." lists what "Uninstall selected printer" would remove and keep for the selected one of two models, Copy puts the list on the clipboard, and nothing on the system changes
PRINTER=$E2E_PRINTER
OTHER_PRINTER="Korvex Model 58"
PREVIEW_CAPTION=Preview
# The dialog opens once the preview has run over the whole installation.
PREVIEW_SECONDS=60
# What the real run leaves of Model 80 beside Model 58 (as scenario 68 finds
# it): the preview must not list any of it as removed.
LEFT=(
  'file.C:\windows\system32\QdRk.dll'
  'file.C:\windows\system32\QdRkTx.dll'
  "${E2E_MAKER_LEFT_BY_DESIGN[@]}"
  "${E2E_MAKER_PORT_SERVICE[@]}"
  "${E2E_MAKER_CONSOLE[@]}"
)
# What goes with the driver package that the list names, not as items of
# their own: the package's PNF and its copy in the store.
PACKAGE_INF='C:\windows\inf\oem12.inf'
WITH_PACKAGE=(
  'file.C:\windows\inf\oem12.pnf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvex80.inf'
  'file.C:\windows\System32\DriverStore\FileRepository\korvex80.inf_amd64_neutral_4f3e2d1c\korvexmodel80.gpd'
)

# The seeded facts of Model 80 the list gets wrong: each fact the real run
# removes must be on a "Would remove" line, each it leaves on none. The
# list names registry roots in full and may case a path otherwise.
misplaced_facts() {
  local lines=$1 line fact name kind left listed exception
  e2e_seed_report maker
  while IFS= read -r line; do
    fact=${line%=*} kind=${fact%%.*} name=${fact#*.}
    [[ $kind == key ]] && name=${name/#HKLM\\/HKEY_LOCAL_MACHINE\\} && name=${name/#HKCU\\/HKEY_CURRENT_USER\\}
    left=0
    for exception in "${LEFT[@]}"; do [[ $fact == "$exception" ]] && left=1; done
    for exception in "${WITH_PACKAGE[@]}"; do [[ $fact == "$exception" ]] && continue 2; done
    listed=0
    grep -Fi -- "[$name]" <<<"$lines" | grep -q '^Would remove: ' && listed=1
    ((listed != left)) || echo "$fact (listed $listed)"
  done <<<"$SEED_OUT"
}

scenario_main() {
  e2e_hold_wineserver
  e2e_seed_or_fail maker second canary || return 1
  local before after list lines heading i
  before=$(e2e_system_state)
  e2e_start_app_or_fail || return 1
  e2e_select_printer "$PRINTER" || { e2e_fail "\"$PRINTER\" is listed"; return 1; }
  check_ui "the preview button is enabled with a printer selected" enabled 1 state "$IDC_PREVIEW"

  ui click "$IDC_PREVIEW" --post
  if ! ui wait-window "$PREVIEW_CAPTION" "$PREVIEW_SECONDS"; then
    e2e_fail "the preview dialog opens" "$(ui box-text 1; ui_get box.text)"
    return 1
  fi
  e2e_screenshot preview
  check "no box opens for a preview" ui box-none 1
  ui dialog-text "$PREVIEW_CAPTION" "$IDC_PREVIEW_HEADING"
  heading=$(string_table IDS_PREVIEW_SELECTED_HEADING)
  check_eq "the heading names the button and the printer" "${heading/\%s/$PRINTER}" "$(ui_get text)"
  ui dialog-text "$PREVIEW_CAPTION" "$IDC_PREVIEW_LIST"
  list=$(ui_get text)
  lines=${list//\\r\\n/$'\n'}
  printf '%s\n' "$lines" >"$E2E_SCENARIO_DIR/preview.list"
  check_contains "the printer would be removed" "Would remove: Printer [$PRINTER]" "$lines"
  check "the other model is not named as removed" \
    test -z "$(grep -F "Would remove: Printer [$OTHER_PRINTER]" <<<"$lines")"
  check_eq "the list names what the real run removes and nothing it leaves" "" "$(misplaced_facts "$lines")"
  check_contains "the driver package would be removed" "Would remove: Driver package [$PACKAGE_INF]" "$lines"
  check_contains "the port service is kept for the other model" \
    "Kept: Service [VOMUUSB] - printer [$OTHER_PRINTER] still uses it" "$lines"
  check "every line is a preview line" \
    test -z "$(grep -Ev '^(Would remove|Kept|Not removed): ' <<<"$lines")"

  ui dialog-click "$PREVIEW_CAPTION" "$IDC_PREVIEW_COPY"
  for ((i = 0; i < 20; i++)); do
    ui clipboard && [[ $(ui_get clipboard.text) == "$list" ]] && break
    sleep 0.2
  done
  check_eq "Copy puts the whole list on the clipboard" "$list" "$(ui_get clipboard.text)"
  check "the dialog stays open after Copy" ui wait-window "$PREVIEW_CAPTION" 1
  ui dialog-click "$PREVIEW_CAPTION" "$E2E_IDCANCEL"
  check "Close closes the preview" ui wait-gone "$PREVIEW_CAPTION" 10
  check_ui "the page is usable after the preview" enabled 1 state "$IDC_UNINSTALL_SELECTED"
  e2e_close_app

  after=$(e2e_system_state)
  check_eq "the preview changes nothing on the system" "$before" "$after"
  check_seeded "every seeded item of the printer is still there" maker 1
  check_seeded "the other model is untouched" second 1
  check_canary
  check_log_line "Preview of \"Uninstall selected printer\" for printer [$PRINTER]: nothing is removed."
  check_log_lacks "no removal is logged" "Deleted! [$PRINTER]"
}
