# Scenario: "Preview..." lists what "Uninstall selected printer" would remove and keep for the selected one of two models, Copy puts the list on the clipboard, and nothing on the system changes
PRINTER=$E2E_PRINTER
OTHER_PRINTER="Korvex Model 58"
PREVIEW_CAPTION=Preview
# The dialog opens once the preview has run over the whole installation.
PREVIEW_SECONDS=60

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
