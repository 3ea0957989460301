# Scenario: the manual is there but no PDF viewer is associated: F1 and Help show the "no reader" string
HELP_FILE="Purvex manual.pdf"
NO_ASSOCIATION=31
EXPECTED_LOG="QDConsole -> Error opening help file \"$HELP_FILE\". Error was $NO_ASSOCIATION"

help_lines() {
  if [[ -f $E2E_LOG_FILE ]]; then log_lines | grep -cF -- "$EXPECTED_LOG"; else echo 0; fi
}

scenario_main() {
  # Read from the string table, so that rewording it does not break this scenario.
  local expected
  expected=$(string_table IDS_HELP_NO_READER) || return 1
  printf '%%PDF-1.4\n%%%%EOF\n' >"$E2E_APP_DIR/$HELP_FILE"
  # A new prefix hands PDF documents to Wine's browser; this system has no reader.
  e2e_wine "$E2E_WINE_TIMEOUT" reg delete 'HKCR\.pdf' /f >/dev/null 2>&1
  e2e_wine "$E2E_WINE_TIMEOUT" reg delete 'HKCR\pdffile' /f >/dev/null 2>&1
  check "no program is associated with .pdf" test -z "$(reg_query 'HKCR\.pdf')"

  e2e_start_app_or_fail || return 1

  ui key F1
  check_box "F1 shows the \"no reader\" box captioned \"$E2E_APP_NAME\"" "$expected" no-reader-box
  check_log_line "$EXPECTED_LOG"

  ui syscommand "$IDM_HELP"
  check_box "system-menu Help shows the \"no reader\" box too" "$expected"
  check_eq "each request wrote one log line" 2 "$(help_lines)"
  check "the manual is still there" test -f "$E2E_APP_DIR/$HELP_FILE"
}
