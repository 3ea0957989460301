#!/usr/bin/env bash
# Shows Purvex doing its job under Wine: builds it, makes a fresh prefix,
# seeds a maker installation (when the seeding program is built), starts
# purvex.exe (in a window on $DISPLAY, otherwise on a private Xvfb), drives it
# through the UI driver, prints the log and saves screenshots.
#
#   tools/demo.sh [--no-build] [--keep]
#     --no-build  use build/win64 as it is
#     --keep      keep the demo prefix (path printed at the end)
# DEMO_PAUSE=seconds between steps when watching on a real display (default 1.5).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/tools/packages.sh"
BUILD=$ROOT/build/win64
build=1
for arg in "$@"; do
  case $arg in
    --no-build) build=0 ;;
    --keep) export E2E_KEEP=1 E2E_NO_OVERLAY=1 ;;
    *) echo "usage: tools/demo.sh [--no-build] [--keep]" >&2; exit 2 ;;
  esac
done

purvex_ensure_packages || exit 1
if ((build)); then
  echo "== building purvex.exe ($BUILD)"
  mkdir -p "$ROOT/build"
  if ! { cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release && ninja -C "$BUILD" -j "${JOBS:-2}"; } >"$ROOT/build/demo-build.log" 2>&1; then
    grep -E 'error|FAILED' "$ROOT/build/demo-build.log" | head -n 30
    echo "build failed: $ROOT/build/demo-build.log"
    exit 1
  fi
fi

export PURVEX_EXE=${PURVEX_EXE:-$BUILD/purvex.exe} E2E_TOOLS_DIR=${E2E_TOOLS_DIR:-$BUILD/e2e}
export E2E_ARTIFACTS=$ROOT/build/demo-artifacts
source "$ROOT/tests/e2e/lib.sh"
e2e_init
for f in "$PURVEX_EXE" "$E2E_UIDRIVER"; do
  [[ -f $f ]] || { echo "missing $f"; exit 1; }
done
rm -f "$E2E_ARTIFACTS"/*.png
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# A real display when there is one that answers; a private Xvfb otherwise.
pause=0
if purvex_display_answers; then
  export E2E_USE_DISPLAY=1
  pause=${DEMO_PAUSE:-1.5}
fi
e2e_start_display || exit 1
step() {
  echo
  echo "== $*"
  [[ $pause != 0 ]] && sleep "$pause"
  return 0
}
show() { printf '%s\n' "$UI_OUT" | sed 's/^/   /'; }

step "fresh Wine prefix"
e2e_make_template || exit 1
e2e_new_prefix demo
echo "   prefix: $WINEPREFIX"
echo "   program: $E2E_APP_WINDIR\\$E2E_APP_NAME.exe, started from $E2E_CWD"

# The installation the demo works on (tests/e2e/seed): "maker" is one USB
# printer with its driver, USB device entries, port service, INF files, DLLs
# and product keys; "second" another model of the maker on its own driver that
# shares the port service and some DLLs; "orphans" stale device entries of an
# uninstalled model; "backup" driver backup directories; "canary" another
# vendor's printer and files that must survive. Without seed.exe the demo
# shows an untouched system.
DEMO_PROFILES=(maker second orphans backup canary)
demo_seed_installation() {
  if [[ ! -f $E2E_SEED ]]; then
    echo "   (no seeding program built: the demo shows a system without the maker's printers)"
    return 0
  fi
  e2e_seed "${DEMO_PROFILES[@]}" | sed 's/^/   /'
}
step "seeding a maker installation"
demo_seed_installation

step "starting purvex.exe"
e2e_start_app || { cat "$E2E_SCENARIO_DIR/app.out"; exit 1; }
E2E_SCENARIO_NAME=demo
sleep 1
e2e_screenshot 01-main-window
ui tabs && show
ui page-text "$IDC_STATUS_LINE" && show
ui combo "$IDC_PRINTER_COMBO" && show
printers=$(ui_get combo.count)

step "system menu"
ui sysmenu && show

step "About box"
ui syscommand "$IDM_ABOUTBOX"
if ui wait-window "About Purvex" 10; then
  e2e_screenshot 02-about
  ui dialog-text "About Purvex" "$IDC_APPLICATION_NAME" && show
  ui dialog-text "About Purvex" "$IDC_RELEASE_VERSION" && show
  ui dialog-click "About Purvex" "$E2E_IDOK"
  ui wait-gone "About Purvex" 10
fi

step "F1 without the manual"
ui key F1
if ui box-text 10; then
  show
  e2e_screenshot 03-help-box
  ui box-answer "$E2E_IDOK"
  ui box-gone 10
fi

if [[ ${printers:-0} =~ ^[0-9]+$ ]] && ((printers > 0)); then
  step "uninstalling the first listed printer"
  ui combo-select "$IDC_PRINTER_COMBO" 0
  sleep 1
  e2e_screenshot 04-selected
  ui click "$IDC_UNINSTALL_SELECTED" --post
  if ui box-text 10; then
    show
    e2e_screenshot 05-confirm
    ui box-answer "$E2E_IDOK"
    ui box-gone 10
    # The sequence runs on the worker thread and ends with its result box
    # (and a deletion report when files stayed); answer each as it comes.
    wait_seconds=180 shown=0
    while ui box-text "$wait_seconds"; do
      shown=$((shown + 1))
      show
      text=$(ui_get box.text)
      e2e_screenshot "06-result-$shown"
      ui box-answer "$E2E_IDOK"
      ui box-gone 10
      [[ $text == "$E2E_COMPLETED_TEXT" ]] && break
      wait_seconds=15
    done
  fi
  sleep 1
  e2e_screenshot 07-after
  ui combo "$IDC_PRINTER_COMBO" && show
  if [[ -f $E2E_SEED ]]; then
    for profile in maker second orphans backup; do
      step "what is left of \"$profile\" (1 = still there)"
      e2e_seed_report "$profile"; printf '%s\n' "$SEED_OUT" | sed 's/^/   /'
    done
    step "the canary (all must be 1)"
    e2e_seed_report canary; printf '%s\n' "$SEED_OUT" | sed 's/^/   /'
  fi
else
  step "no maker printer listed: nothing to uninstall"
fi

step "closing"
ui close
e2e_wait_app_exit || e2e_stop_app

step "the log ($E2E_LOG_FILE)"
if [[ -f $E2E_LOG_FILE ]]; then
  cp "$E2E_LOG_FILE" "$E2E_ARTIFACTS/purvex.log"
  tr -d '\r' <"$E2E_LOG_FILE"
else
  echo "   (no log written)"
fi

echo
echo "== screenshots"
ls -1 "$E2E_ARTIFACTS"/*.png 2>/dev/null | sed 's/^/   /'
[[ ${E2E_KEEP:-0} == 1 ]] && echo "prefix kept: $WINEPREFIX"
exit 0
