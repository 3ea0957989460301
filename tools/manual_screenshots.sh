#!/usr/bin/env bash
# Takes the manual's screenshots from the real program under Wine: a fresh
# prefix with one seeded maker installation (tests/e2e/seed), the program
# driven through the UI driver, each picture cut to the windows it shows.
# Writes docs/manual/images/*.png and the run's log to build/manual-shots/.
#
#   tools/manual_screenshots.sh       after a Windows build in build/win64
# PURVEX_EXE and E2E_TOOLS_DIR as for tests/e2e/run.sh.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/tools/packages.sh"
IMAGES=$ROOT/docs/manual/images
# Room around a cut-out window, so its shadowless frame does not touch the edge.
MARGIN=6
RESULT_SECONDS=180

purvex_ensure_packages || exit 1
export PURVEX_EXE=${PURVEX_EXE:-$ROOT/build/win64/purvex.exe}
export E2E_TOOLS_DIR=${E2E_TOOLS_DIR:-$(dirname "$PURVEX_EXE")/e2e}
export E2E_ARTIFACTS=$ROOT/build/manual-shots
source "$ROOT/tests/e2e/lib.sh"
e2e_init
for f in "$PURVEX_EXE" "$E2E_UIDRIVER" "$E2E_SEED"; do
  [[ -f $f ]] || { echo "missing $f (build the Windows tree)"; exit 1; }
done
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM
e2e_start_display || exit 1
e2e_make_template || exit 1
e2e_new_prefix manual
E2E_SCENARIO_NAME=manual
E2E_SCENARIO_ARTIFACTS=$E2E_ARTIFACTS
mkdir -p "$IMAGES"

# The smallest rectangle holding the windows named ("" is the main window,
# any other caption a top-level window; message boxes are captioned with the
# application name), plus the margin, clipped to the screen.
union_rect() {
  local caption x y w h left=99999 top=99999 right=0 bottom=0
  for caption in "$@"; do
    if [[ -z $caption ]]; then ui rect; else ui rect "$caption"; fi || continue
    IFS=, read -r x y w h <<<"$(ui_get rect)"
    ((x < left)) && left=$x
    ((y < top)) && top=$y
    ((x + w > right)) && right=$((x + w))
    ((y + h > bottom)) && bottom=$((y + h))
  done
  ((right > left)) || return 1
  local sw=${E2E_SCREEN%x*} sh=${E2E_SCREEN#*x}
  left=$((left - MARGIN < 0 ? 0 : left - MARGIN))
  top=$((top - MARGIN < 0 ? 0 : top - MARGIN))
  right=$((right + MARGIN > sw ? sw : right + MARGIN))
  bottom=$((bottom + MARGIN > sh ? sh : bottom + MARGIN))
  printf '%dx%d+%d+%d\n' $((right - left)) $((bottom - top)) "$left" "$top"
}

# shot NAME CAPTION...: the screen cut to those windows, as images/NAME.png.
shot() {
  local name=$1; shift
  sleep 1
  e2e_screenshot "screen-$name"
  local geometry
  geometry=$(union_rect "$@") || { echo "   $name: window not found"; return 1; }
  convert "$E2E_LAST_SCREENSHOT" -crop "$geometry" +repage -strip "$IMAGES/$name.png" &&
    echo "   $IMAGES/$name.png ($geometry)"
}

BOX=$E2E_APP_NAME
OK=$E2E_IDOK

echo "== seeding"
e2e_seed maker canary >/dev/null || { echo "seeding failed"; exit 1; }
echo "== starting the program"
e2e_start_app || { cat "$E2E_SCENARIO_DIR/app.out"; exit 1; }
shot main-window ""

ui syscommand "$IDM_ABOUTBOX"
if ui wait-window "About Purvex" 10; then
  # Alone, without the edges of the main window behind it.
  MARGIN=0 shot about-box "About Purvex"
  ui dialog-click "About Purvex" "$OK"
  ui wait-gone "About Purvex" 10
fi

ui click "$IDC_PREVIEW" --post
if ui wait-window "Preview" 60; then
  MARGIN=0 shot preview "Preview"
  ui dialog-click "Preview" "$E2E_IDCANCEL"
  ui wait-gone "Preview" 10
fi

ui click "$IDC_ADVANCED_TOGGLE"
shot advanced ""

ui click "$IDC_CLEAN_SYSTEM" --post
if ui box-text 10; then
  shot clean-confirm "" "$BOX"
  ui box-answer "$OK"
  # "Done!" follows.
  ui box-text 60 && ui box-answer "$OK"
fi

ui click "$IDC_ADVANCED_TOGGLE"
ui click "$IDC_UNINSTALL_SELECTED" --post
if ui box-text 10; then
  shot uninstall-confirm "" "$BOX"
  ui box-answer "$OK"
  sleep 0.5
  shot uninstall-running ""
  if ui box-text "$RESULT_SECONDS"; then
    shot uninstall-done "" "$BOX"
    ui box-answer "$OK"
    # A deletion report may follow.
    if ui box-text 5; then shot uninstall-report "" "$BOX"; ui box-answer "$OK"; fi
  fi
fi

ui close
e2e_wait_app_exit || e2e_stop_app
[[ -f $E2E_LOG_FILE ]] && tr -d '\r' <"$E2E_LOG_FILE" >"$E2E_ARTIFACTS/purvex.log" &&
  echo "== log: $E2E_ARTIFACTS/purvex.log"
exit 0
