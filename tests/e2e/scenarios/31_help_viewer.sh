# Scenario: F1 and system-menu Help open the manual with the associated PDF viewer, verb "open"
HELP_FILE="Purvex manual.pdf"
HELP_PATH="$E2E_APP_WINDIR\\$HELP_FILE"
VIEWER_NAME=pdfviewer.exe
VIEWER_WINDIR='C:\pdfviewer'
# The same path as a .reg file spells it.
VIEWER_REG_PATH='C:\\pdfviewer\\pdfviewer.exe'
VIEWER_RECORD=opened.txt
VIEWER_PROGID=PurvexTest.PdfDocument
# The document's default verb is "print", so a program that asked for the
# default instead of "open" would be caught.
PRINT_MARKER=/print
HELP_ERROR='QDConsole -> Error opening help file'
QUIET_SECONDS=3
RECORD_SECONDS=15

# The stand-in viewer (tests/e2e/seed/pdf_viewer_standin.cpp): taken from the
# Windows build when it has one, compiled once per run otherwise.
viewer_exe() {
  local built=$E2E_TOOLS_DIR/$VIEWER_NAME
  if [[ -f $built ]]; then echo "$built"; return 0; fi
  local exe=$E2E_WORK/$VIEWER_NAME
  if [[ ! -f $exe ]]; then
    x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -static -o "$exe.tmp" \
      "$E2E_REPO_ROOT/tests/e2e/seed/pdf_viewer_standin.cpp" >&2 || return 1
    mv "$exe.tmp" "$exe"
  fi
  echo "$exe"
}

viewer_association_reg() {
  local viewer=$VIEWER_REG_PATH
  cat <<EOF2
REGEDIT4

[HKEY_CLASSES_ROOT\\.pdf]
@="$VIEWER_PROGID"

[HKEY_CLASSES_ROOT\\$VIEWER_PROGID\\shell]
@="print"

[HKEY_CLASSES_ROOT\\$VIEWER_PROGID\\shell\\open\\command]
@="\\"$viewer\\" \\"%1\\""

[HKEY_CLASSES_ROOT\\$VIEWER_PROGID\\shell\\print\\command]
@="\\"$viewer\\" $PRINT_MARKER \\"%1\\""
EOF2
}

unix_path() { # C:\a\b -> the prefix's file
  local rest=${1#?:\\}
  printf '%s/drive_c/%s\n' "$WINEPREFIX" "${rest//\\//}"
}

record_lines() { [[ -f $RECORD ]] && tr -d '\r' <"$RECORD" | wc -l || echo 0; }

wait_for_record_lines() { # N
  local i
  for ((i = 0; i < RECORD_SECONDS * 10; i++)); do
    (($(record_lines) >= $1)) && return 0
    sleep 0.1
  done
  return 1
}

help_errors() {
  if [[ -f $E2E_LOG_FILE ]]; then log_lines | grep -cF -- "$HELP_ERROR"; else echo 0; fi
}

scenario_main() {
  local exe
  exe=$(viewer_exe) || { e2e_fail "the stand-in PDF viewer builds"; return 1; }
  local viewer_dir
  viewer_dir=$(unix_path "$VIEWER_WINDIR")
  mkdir -p "$viewer_dir"
  cp "$exe" "$viewer_dir/$VIEWER_NAME"
  RECORD=$viewer_dir/$VIEWER_RECORD
  rm -f "$RECORD"
  # Any file will do for the shell: it goes by the extension.
  printf '%%PDF-1.4\n%%%%EOF\n' >"$E2E_APP_DIR/$HELP_FILE"

  viewer_association_reg >"$WINEPREFIX/drive_c/pdf-association.reg"
  e2e_wine "$E2E_WINE_TIMEOUT" regedit /S 'C:\pdf-association.reg' >/dev/null 2>&1
  check_contains "HKCR\\.pdf names the stand-in viewer's document type" "$VIEWER_PROGID" \
    "$(reg_query 'HKCR\.pdf' /ve)"

  e2e_start_app_or_fail || return 1

  ui key F1
  check "F1 shows no message box" ui box-none "$QUIET_SECONDS"
  if wait_for_record_lines 2; then
    e2e_pass "F1 starts the associated viewer"
    local command_line document
    command_line=$(tr -d '\r' <"$RECORD" | sed -n 1p)
    document=$(tr -d '\r' <"$RECORD" | sed -n 2p)
    check_eq "the viewer is given the manual next to the program" "$HELP_PATH" "$document"
    check "the shell used the verb \"open\", not the default \"print\"" \
      test "${command_line#*"$PRINT_MARKER"}" == "$command_line"
  else
    e2e_fail "F1 starts the associated viewer" "no $VIEWER_RECORD written"
  fi

  ui syscommand "$IDM_HELP"
  check "system-menu Help shows no message box" ui box-none "$QUIET_SECONDS"
  if wait_for_record_lines 4; then
    e2e_pass "system-menu Help starts the viewer again"
    check_eq "with the manual's path again" "$HELP_PATH" "$(tr -d '\r' <"$RECORD" | sed -n 4p)"
  else
    e2e_fail "system-menu Help starts the viewer again" "$(record_lines) record lines"
  fi
  check_eq "no help-file error in the log" 0 "$(help_errors)"
  e2e_screenshot after-help
}
