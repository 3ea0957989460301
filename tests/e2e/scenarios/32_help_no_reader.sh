# Scenario: the manual is there but no PDF viewer is associated: F1 and Help show string 142
HELP_FILE="Purvex manual.pdf"
NO_ASSOCIATION=31
EXPECTED_LOG="QDConsole -> Error opening help file \"$HELP_FILE\". Error was $NO_ASSOCIATION"
BOX_OK=1
NO_READER_ID=142

# String 142 as the UI driver prints it (CR LF spelled \r\n), read from the
# string table so that rewording it does not break this scenario.
expected_box() {
  sed -n "s/^PURVEX_STRING($NO_READER_ID, \"\\(.*\\)\")\$/\\1/p" "$E2E_REPO_ROOT/resources/string_table.h" |
    sed 's/\\"/"/g'
}

help_lines() {
  if [[ -f $E2E_LOG_FILE ]]; then log_lines | grep -cF -- "$EXPECTED_LOG"; else echo 0; fi
}

scenario_main() {
  local expected
  expected=$(expected_box)
  [[ -n $expected ]] || { e2e_fail "string $NO_READER_ID is in resources/string_table.h"; return 1; }
  printf '%%PDF-1.4\n%%%%EOF\n' >"$E2E_APP_DIR/$HELP_FILE"
  # A new prefix hands PDF documents to Wine's browser; this system has no reader.
  e2e_wine "$E2E_WINE_TIMEOUT" reg delete 'HKCR\.pdf' /f >/dev/null 2>&1
  e2e_wine "$E2E_WINE_TIMEOUT" reg delete 'HKCR\pdffile' /f >/dev/null 2>&1
  check "no program is associated with .pdf" test -z "$(reg_query 'HKCR\.pdf')"

  e2e_start_app_or_fail || return 1

  ui key F1
  if ui box-text 10; then
    e2e_pass "F1 shows a message box captioned \"$E2E_APP_NAME\""
    check_eq "the box is string $NO_READER_ID" "$expected" "$(ui_get box.text)"
    e2e_screenshot no-reader-box
    ui box-answer "$BOX_OK"
    check "OK closes the box" ui box-gone 10
  else
    e2e_fail "F1 shows a message box captioned \"$E2E_APP_NAME\""
  fi
  check_log_line "$EXPECTED_LOG"

  ui syscommand 9
  if ui box-text 10; then
    check_eq "system-menu Help shows string $NO_READER_ID too" "$expected" "$(ui_get box.text)"
    ui box-answer "$BOX_OK"
    check "OK closes the box" ui box-gone 10
  else
    e2e_fail "system-menu Help (9) shows a message box"
  fi
  check_eq "each request wrote one log line" 2 "$(help_lines)"
  check "the manual is still there" test -f "$E2E_APP_DIR/$HELP_FILE"
}
