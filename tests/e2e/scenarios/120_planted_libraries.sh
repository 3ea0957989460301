# Scenario: libraries planted next to the program and in its current directory never run
# Copies of planted.dll under the names of every library the program loads at
# run time (version, winspool, uxtheme, difxapi) and of the one load-time
# import that is no KnownDLL (comctl32, bound by the manifest) lie in the
# program's current directory, and all but version and uxtheme also in the
# program's folder; Wine is told to prefer native libraries of those names.
# Any copy that runs appends its path to C:\planted-ran.txt.
# Not planted: KnownDLL names (Wine ignores KnownDLLs, so that would show
# nothing about Windows), and version and uxtheme in the program's folder:
# Wine's own user32 and setupapi import version.dll, and its user32 loads
# uxtheme.dll, while the process starts, before the program runs any code,
# with the program's folder first in the search; any program would load such
# a plant there under these overrides.
CWD_PLANTS=(version.dll winspool.drv uxtheme.dll difxapi.dll comctl32.dll)
APP_DIR_PLANTS=(winspool.drv difxapi.dll comctl32.dll)
PLANTED_OVERRIDES='version,winspool.drv,uxtheme,difxapi,comctl32=n,b'
ABOUT_CAPTION="About Purvex"
EXPECTED_RELEASE=10.20

planted_record() { tr -d '\r' 2>/dev/null <"$WINEPREFIX/drive_c/planted-ran.txt"; }

scenario_main() {
  e2e_seed_or_fail maker canary || return 1
  local name probe_out
  for name in "${CWD_PLANTS[@]}"; do
    cp "$E2E_TOOLS_DIR/planted.dll" "$E2E_CWD/$name" || return 1
  done
  for name in "${APP_DIR_PLANTS[@]}"; do
    cp "$E2E_TOOLS_DIR/planted.dll" "$E2E_APP_DIR/$name" || return 1
  done
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$PLANTED_OVERRIDES"

  # The plant is live: a program in the same folder that loads these names
  # the default way gets the planted copies, and they run.
  cp "$E2E_TOOLS_DIR/load_probe.exe" "$E2E_APP_DIR/load_probe.exe" || return 1
  probe_out=$(cd "$E2E_CWD" && e2e_wine "$E2E_WINE_TIMEOUT" "$E2E_APP_WINDIR\\load_probe.exe" "${APP_DIR_PLANTS[@]}" | tr -d '\r')
  echo "$probe_out" >>"$E2E_TRANSCRIPT"
  check_eq "a bare-name load from the program's folder runs every planted copy" \
    "${#APP_DIR_PLANTS[@]}" "$(planted_record | grep -ci '^C:\\Program Files\\Purvex\\')"
  rm -f "$E2E_APP_DIR/load_probe.exe" "$WINEPREFIX/drive_c/planted-ran.txt"

  e2e_start_app_or_fail || return 1
  # The libraries still come from the system directory: the printers through
  # winspool, the release text through version.dll (the uninstall scenarios
  # use the stand-in DIFXAPI.dll that e2e_seed puts into system32).
  check_ui "the maker's printer is listed (winspool from system32)" combo.0 "$E2E_PRINTER" combo "$IDC_PRINTER_COMBO"
  ui syscommand "$IDM_ABOUTBOX"
  if ui wait-window "$ABOUT_CAPTION" 10; then
    check_ui "the release text is read (version.dll from system32)" text "$EXPECTED_RELEASE" dialog-text "$ABOUT_CAPTION" "$IDC_RELEASE_VERSION"
    ui dialog-click "$ABOUT_CAPTION" "$E2E_IDOK"
    ui wait-gone "$ABOUT_CAPTION" 10
  else
    e2e_fail "the About box opens"
  fi
  e2e_screenshot main-window
  e2e_close_app

  check_eq "no planted copy ran in the program" "" "$(planted_record)"
  for name in "${CWD_PLANTS[@]}"; do
    check "the planted $name is still in the current directory" test -f "$E2E_CWD/$name"
  done
  for name in "${APP_DIR_PLANTS[@]}"; do
    check "the planted $name is still beside the program" test -f "$E2E_APP_DIR/$name"
  done
  check_seeded "the maker's installation is untouched" maker 1
  check_canary
}
