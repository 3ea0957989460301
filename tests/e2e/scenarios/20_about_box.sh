# Scenario: system-menu About shows the application name and the release text
ABOUT_CAPTION="About Purvex"
ABOUT_OK=1
# The program's FileVersion is 1, 0, 2, 0: commas and spaces out, a point after
# the second character.
EXPECTED_RELEASE=10.20

scenario_main() {
  e2e_start_app_or_fail || return 1
  ui syscommand 16
  if ! ui wait-window "$ABOUT_CAPTION" 10; then
    e2e_fail "system-menu command 16 opens \"$ABOUT_CAPTION\""
    return 1
  fi
  e2e_pass "system-menu command 16 opens \"$ABOUT_CAPTION\""
  e2e_screenshot about-box
  check_ui "the application name (1036) is the executable's name" text "$E2E_APP_NAME" dialog-text "$ABOUT_CAPTION" 1036
  check_ui "the release text (1034) is $EXPECTED_RELEASE" text "$EXPECTED_RELEASE" dialog-text "$ABOUT_CAPTION" 1034
  ui dialog-click "$ABOUT_CAPTION" "$ABOUT_OK"
  check "OK closes the About box" ui wait-gone "$ABOUT_CAPTION" 10
  check "the main window stays" ui wait-window "$E2E_MAIN_CAPTION" 1
}
