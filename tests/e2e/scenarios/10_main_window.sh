# Scenario: the main window shows one page and the About/Help system-menu entries
PAGE_CAPTION="Uninstall printer and driver"
ABOUT_ENTRY="$IDM_ABOUTBOX|&About Purvex..."
HELP_ENTRY="$IDM_HELP|&Help..."
SEPARATOR_ENTRY="0|"

scenario_main() {
  e2e_start_app_or_fail || return 1
  e2e_screenshot main-window

  check_ui "the sheet shows exactly one tab" tab.count 1 tabs
  check_eq "the tab reads \"$PAGE_CAPTION\"" "$PAGE_CAPTION" "$(ui_get tab.0)"
  check_ui "the page's caption is the tab text" text "$PAGE_CAPTION" page-caption
  check_ui "the main dialog's button 1 is \"Close\"" text "Close" page-text "$E2E_IDOK" --in-main

  if ui sysmenu; then
    local count last about_at
    count=$(ui_get sysmenu.count)
    last=$((count - 1))
    check_eq "the last system-menu entry is Help ($IDM_HELP)" "$HELP_ENTRY" "$(ui_get "sysmenu.$last")"
    check_eq "About ($IDM_ABOUTBOX) stands before Help" "$ABOUT_ENTRY" "$(ui_get "sysmenu.$((last - 1))")"
    check_eq "a separator stands before About" "$SEPARATOR_ENTRY" "$(ui_get "sysmenu.$((last - 2))")"
  else
    e2e_fail "the system menu can be read" "$UI_OUT"
  fi

  ui close
  if e2e_wait_app_exit; then
    e2e_pass "closing the main window ends the program"
    check_eq "the program exits with status 0" 0 "$E2E_APP_EXIT"
  else
    e2e_fail "closing the main window ends the program"
  fi
}
