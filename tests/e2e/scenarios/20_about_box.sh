# Scenario: system-menu About shows the application name and the release text
ABOUT_CAPTION="About Purvex"
ABOUT_OK=$E2E_IDOK
# The program's FileVersion is 1, 0, 2, 0: commas and spaces out, a point after
# the second character.
EXPECTED_RELEASE=10.20

scenario_main() {
  e2e_start_app_or_fail || return 1
  ui syscommand "$IDM_ABOUTBOX"
  if ! ui wait-window "$ABOUT_CAPTION" 10; then
    e2e_fail "system-menu command $IDM_ABOUTBOX opens \"$ABOUT_CAPTION\""
    return 1
  fi
  e2e_pass "system-menu command $IDM_ABOUTBOX opens \"$ABOUT_CAPTION\""
  e2e_screenshot about-box
  check_ui "the application name is the executable's name" text "$E2E_APP_NAME" dialog-text "$ABOUT_CAPTION" "$IDC_APPLICATION_NAME"
  check_ui "the release text is $EXPECTED_RELEASE" text "$EXPECTED_RELEASE" dialog-text "$ABOUT_CAPTION" "$IDC_RELEASE_VERSION"
  ui dialog-click "$ABOUT_CAPTION" "$ABOUT_OK"
  check "OK closes the About box" ui wait-gone "$ABOUT_CAPTION" 10
  check "the main window stays" ui wait-window "$E2E_MAIN_CAPTION" 1
}
