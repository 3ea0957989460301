#!/usr/bin/env bash
# Times the printer page at scale under Wine: the printer enumeration, one
# "Uninstall selected printer" and "Clean system", with N maker printers on
# N / 10 drivers and 25 N USB device entries, for each N given (default 50
# 100 200). A command for measuring, not part of the test suite.
#
# usage: tools/bench_scale.sh [N...]
# environment:
#   PURVEX_BENCH_EXE  the program that writes down its fixed waits
#                     (default build/win64/purvex_bench.exe: ninja -C build/win64 purvex_bench)
#   E2E_TOOLS_DIR     seed.exe, uidriver.exe and the stand-ins (default build/win64/e2e)
#   BENCH_CACHE       the template and the seeded prefixes, kept between runs
#                     (default /tmp/purvex-bench-scale); a prefix is seeded again
#                     when seed.exe changed
#
# The figures come from the program's own log, each line stamped on arrival
# by a watcher on this side: enumeration = "--- Printers enumeration: begin ---"
# to its end line, at start-up and after "Reload list"; uninstall = "Try to Find Printers..." to
# the end of the list's reload that closes the sequence, less the fixed waits
# inside (purvex_bench.exe writes down how long each took); Clean system = "Search for Device -not
# correctly installed- to remove..." to the moment the UI driver sees the
# "Done!" box (up to 0.1 s late: the driver looks every 0.1 s).
set -uo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
sizes=("$@")
((${#sizes[@]})) || sizes=(50 100 200)
cache=$(realpath -m "${BENCH_CACHE:-/tmp/purvex-bench-scale}")
export PURVEX_EXE=$(realpath -m "${PURVEX_BENCH_EXE:-$top/build/win64/purvex_bench.exe}")
export E2E_TOOLS_DIR=$(realpath -m "${E2E_TOOLS_DIR:-$top/build/win64/e2e}")
export E2E_WORK=$cache E2E_ARTIFACTS=$cache/artifacts

source "$top/tests/e2e/lib.sh"
e2e_init
for need in "$PURVEX_EXE" "$E2E_SEED" "$E2E_UIDRIVER"; do
  [[ -f $need ]] || { echo "missing $need (build the Windows tree and purvex_bench)" >&2; exit 1; }
done

WATCHER_PID=
bench_cleanup() {
  [[ -n $WATCHER_PID ]] && kill "$WATCHER_PID" 2>/dev/null
  e2e_release_prefix
  e2e_stop_display
  e2e_unmount_under "$cache"
}
trap bench_cleanup EXIT
trap 'exit 130' INT TERM

e2e_start_display || exit 1
e2e_make_template || exit 1
base_template=$E2E_TEMPLATE
seed_stamp=$(md5sum "$E2E_SEED" | cut -d' ' -f1)

UNINSTALL_SELECTED=$IDC_UNINSTALL_SELECTED
CLEAN_SYSTEM=$IDC_CLEAN_SYSTEM
SHOW_ADVANCED=$IDC_ADVANCED_TOGGLE
RELOAD=$IDC_RELOAD_LIST
BOX_OK=$E2E_IDOK
SELECTED=$E2E_PRINTER
DONE_TEXT="Done!"

# Stamps every line of the log with this side's clock (seconds) as it arrives.
start_watcher() {
  local log=$1 out=$2
  python3 - "$log" "$out" <<'EOF' &
import os, sys, time
log, out = sys.argv[1], sys.argv[2]
pos, rest = 0, b""
with open(out, "w", buffering=1) as sink:
    while True:
        try:
            with open(log, "rb") as f:
                f.seek(pos)
                data = f.read()
        except OSError:
            data = b""
        if data:
            now = time.monotonic()
            pos += len(data)
            rest += data
            *lines, rest = rest.split(b"\n")
            for line in lines:
                text = line.rstrip(b"\r").decode("latin-1")
                if "<--  " in text:
                    text = text.split("<--  ", 1)[1]
                sink.write("%.4f\t%s\n" % (now, text))
        else:
            time.sleep(0.002)
EOF
  WATCHER_PID=$!
}

now() { python3 -c 'import time; print("%.4f" % time.monotonic())'; }

# Time of the first line TEXT after line AFTER (0-based) of the stamped log;
# waits for it up to 120 s.
line_time() {
  local stamps=$1 text=$2 after=${3:-0} i t
  for ((i = 0; i < 1200; i++)); do
    t=$(awk -F'\t' -v text="$text" -v after="$after" 'NR > after && $2 == text {print $1; exit}' "$stamps")
    [[ -n $t ]] && { echo "$t"; return 0; }
    sleep 0.1
  done
  return 1
}
line_number() {
  local stamps=$1 text=$2 after=${3:-0}
  awk -F'\t' -v text="$text" -v after="$after" 'NR > after && $2 == text {print NR; exit}' "$stamps"
}
seconds() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", b - a}'; }

# The prefix seeded with maker, canary and scaleN, made once per seed.exe.
seeded_prefix() {
  local n=$1 dir=$cache/seeded-$1
  if [[ -f $dir/.seeded && $(cat "$dir/.seeded") == "$seed_stamp" ]]; then
    echo "$dir"
    return 0
  fi
  rm -rf "$dir"
  E2E_TEMPLATE=$base_template
  e2e_new_prefix "seed-$n"
  local started=$SECONDS
  e2e_seed maker canary "scale$n" >/dev/null || { e2e_note "seeding failed: $(grep error= "$E2E_SCENARIO_DIR/seed.out")"; return 1; }
  local counted
  counted=$(cd "$E2E_CWD" && e2e_wine 300 "$E2E_SEED" count-devices | tr -d '\r')
  e2e_note "scale$n seeded in $((SECONDS - started)) s; SetupAPI enumerates: $counted"
  timeout 60 wineserver -k 2>/dev/null
  timeout 60 wineserver -w 2>/dev/null
  cp -a "$WINEPREFIX" "$dir" || return 1
  e2e_release_prefix
  rm -rf "$E2E_SCENARIO_DIR"
  echo "$seed_stamp" >"$dir/.seeded"
  echo "$dir"
}

measure() {
  local n=$1 template
  template=$(seeded_prefix "$n" | tail -n 1) || return 1
  [[ -d $template ]] || return 1
  E2E_TEMPLATE=$template
  e2e_new_prefix "run-$n"
  mkdir -p "$E2E_CWD/log"
  local stamps=$E2E_SCENARIO_DIR/log.stamps
  : >"$stamps"
  start_watcher "$E2E_LOG_FILE" "$stamps"
  local mark t0 t1 enumeration uninstall clean
  E2E_APP_TIMEOUT=600 E2E_APP_START_SECONDS=120 e2e_start_app || { e2e_note "the program did not start"; return 1; }
  # The enumeration at start-up, before any UI driver call.
  local startup
  t0=$(line_time "$stamps" "--- Printers enumeration: begin ---") || return 1
  t1=$(line_time "$stamps" "--- Printers enumeration: end ---") || return 1
  startup=$(seconds "$t0" "$t1")
  ui combo "$IDC_PRINTER_COMBO"
  local listed
  listed=$(ui_get combo.count)

  # Enumeration, after "Reload list".
  mark=$(wc -l <"$stamps")
  # Posted: a UI driver that waits for the handler slows it down under Wine.
  ui click "$RELOAD" --post
  t0=$(line_time "$stamps" "--- Printers enumeration: begin ---" "$mark") || return 1
  t1=$(line_time "$stamps" "--- Printers enumeration: end ---" "$mark") || return 1
  enumeration=$(seconds "$t0" "$t1")

  # One "Uninstall selected printer" of the printer alone on its driver.
  e2e_select_printer "$SELECTED" || { e2e_note "$SELECTED is not listed"; return 1; }
  mark=$(wc -l <"$stamps")
  e2e_confirm_uninstall "$UNINSTALL_SELECTED" || return 1
  # Only this side watches until the sequence has reloaded the list: every
  # Wine process started beside it (a UI driver looking for boxes) queues up
  # at the same wineserver as the program and slows it down.
  t0=$(line_time "$stamps" "Try to Find Printers..." "$mark") || return 1
  local started
  started=$(line_number "$stamps" "Try to Find Printers..." "$mark")
  t1=$(line_time "$stamps" "--- Printers enumeration: end ---" "$started") || return 1
  e2e_collect_boxes 120 >/dev/null
  # The waits of the sequence, as purvex_bench.exe wrote them down.
  local waited
  waited=$(awk '{s += $1} END {printf "%.4f", s}' "$E2E_CWD/purvex-bench-waits.txt" 2>/dev/null)
  uninstall=$(awk -v a="$t0" -v b="$t1" -v w="${waited:-0}" 'BEGIN {printf "%.3f", b - a - w}')
  local boxes
  boxes=$(e2e_boxes_joined)

  # "Clean system".
  ui click "$SHOW_ADVANCED"
  mark=$(wc -l <"$stamps")
  ui click "$CLEAN_SYSTEM" --post
  ui box-text 10 || return 1
  ui box-answer "$BOX_OK"
  local text=
  for ((i = 0; i < 100; i++)); do
    ui box-text 300 || return 1
    text=$(ui_get box.text)
    [[ $text == "$DONE_TEXT" ]] && break
  done
  t1=$(now)
  t0=$(line_time "$stamps" "Search for Device -not correctly installed- to remove..." "$mark") || return 1
  clean=$(seconds "$t0" "$t1")
  ui box-answer "$BOX_OK"
  local removed
  removed=$(awk -F'\t' -v after="$mark" 'NR > after && $2 ~ /^Deleted the Device with Hardware ID/' "$stamps" | wc -l)

  # The machine's load: figures taken beside other work are not comparable.
  printf '%-6s %8s %10s %10s %12s %10s   waits left out %s s, final boxes [%s], entries removed %s, load %s\n' \
    "$n" "$listed" "$startup" "$enumeration" "$uninstall" "$clean" "${waited:-0}" "$boxes" "$removed" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
  kill "$WATCHER_PID" 2>/dev/null
  WATCHER_PID=
  cp "$E2E_LOG_FILE" "$E2E_ARTIFACTS/purvex-$n.log" 2>/dev/null
  cp "$stamps" "$E2E_ARTIFACTS/stamps-$n.txt" 2>/dev/null
  e2e_release_prefix
  rm -rf "$E2E_SCENARIO_DIR"
}

mkdir -p "$E2E_ARTIFACTS"
printf '%-6s %8s %10s %10s %12s %10s   (seconds)\n' N listed start-up reload uninstall clean
for n in "${sizes[@]}"; do
  measure "$n" || echo "$n: measurement failed (see $E2E_ARTIFACTS)"
done
