#!/usr/bin/env bash
# The Wine suite's shell library checked without Wine: the resource ids by
# name, the refusal of ids that are no numbers, and the rules of the seed
# report and log checks that every scenario relies on. Run by ctest on the host.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib.sh"

E2E_SCENARIO_DIR=$(mktemp -d)
trap 'rm -rf "$E2E_SCENARIO_DIR"' EXIT
failures=0
expect() { # WHAT EXPECTED ACTUAL
  if [[ $2 == "$3" ]]; then return 0; fi
  echo "FAIL: $1: expected [$2] got [$3]"
  failures=$((failures + 1))
}
id_errors() { cat "$E2E_SCENARIO_DIR/id-errors" 2>/dev/null | wc -l; }

# --- Ids by name ---
expect "a decimal control id" 1013 "$IDC_PRINTER_COMBO"
expect "a hexadecimal command id" 16 "$IDM_ABOUTBOX"
expect "a string id" 157 "$(e2e_id IDS_UNINSTALL_COMPLETED)"
expect "a string by name" "Uninstallation completed!" "$(string_table IDS_UNINSTALL_COMPLETED)"
expect "a string by number" "$(string_table IDS_UNINSTALL_COMPLETED)" "$(string_table 157)"
expect "no error so far" 0 "$(id_errors)"
e2e_id IDC_NO_SUCH_CONTROL >/dev/null 2>&1
expect "an unknown id name is refused" 1 $?
string_table IDS_NO_SUCH_STRING >/dev/null 2>&1
expect "an unknown string name is refused" 1 $?
: >"$E2E_SCENARIO_DIR/id-errors"
expect "both are recorded for the scenario's end, even from a subshell" 2 "$( (e2e_id IDC_X; string_table IDS_Y) >/dev/null 2>&1; id_errors)"
: >"$E2E_SCENARIO_DIR/id-errors"

# Every id name the scenarios and tools use is in the header.
while read -r name; do
  [[ -n ${E2E_IDS[$name]+set} ]] || expect "the id name $name used by a script exists" yes no
done < <(grep -ohE '\bID[CSDMRBI]_[A-Z0-9_]+\b' "$HERE"/scenarios/*.sh "$E2E_REPO_ROOT"/tools/*.sh | sort -u)

# --- The UI driver is never run with an id that is no number ---
E2E_UIDRIVER=uidriver.exe
e2e_wine() { echo "ran: $*"; }
ui_cases=(
  # verb and words                                   runs (0 refused)
  "click|1014|1"            "click||0"               "click|IDC_TYPO|0"
  "state|--post|0"          "page-text|1032|1"       "combo-select||0"
  "syscommand|16|1"         "box-answer||0"          "dialog-text|About Purvex|0"
  "dialog-click|About Purvex 1|1"                    "key|F1|1"
  "box-text|10|1"
)
for entry in "${ui_cases[@]}"; do
  IFS='|' read -r verb args want <<<"$entry"
  read -ra words <<<"$args"
  if [[ $verb == dialog-* ]]; then words=("About Purvex" "${words[@]:2}"); fi
  UI_OUT=
  ui "$verb" "${words[@]}" >/dev/null 2>&1
  ran=0; [[ $UI_OUT == ran:* ]] && ran=1
  expect "ui $verb [$args] runs the driver" "$want" "$ran"
done
expect "each refusal is recorded" 6 "$(id_errors)"
: >"$E2E_SCENARIO_DIR/id-errors"

# --- check_seeded: every fact as expected except the exceptions, reversed ---
E2E_CHECKS_FAILED=0
seed_cases=(
  # report lines              expected  exceptions        failed checks
  "file.a=0 key.b=0"          "0"       ""                0
  "file.a=0 key.b=1"          "0"       "key.b"           0
  "file.a=0 key.b=1"          "0"       ""                1
  "file.a=1 key.b=1"          "1"       ""                0
  "file.a=1 key.b=1"          "1"       "file.a"          1
  "file.a=0 key.b=0"          "0"       "file.c"          1
  ""                          "1"       ""                1
)
for ((i = 0; i < ${#seed_cases[@]}; i += 4)); do
  report=${seed_cases[i]} want=${seed_cases[i + 1]} exceptions=${seed_cases[i + 2]} failed=${seed_cases[i + 3]}
  e2e_seed_report() { SEED_OUT=$(tr ' ' '\n' <<<"$report" | sed '/^$/d'); }
  before=$E2E_CHECKS_FAILED
  read -ra exception_list <<<"$exceptions"
  check_seeded "case $((i / 4))" profile "$want" "${exception_list[@]}" >/dev/null
  expect "check_seeded on [$report] want $want except [$exceptions]" "$failed" $((E2E_CHECKS_FAILED - before))
done

# --- Log lines with and without their time stamps, in order ---
E2E_LOG_FILE=$E2E_SCENARIO_DIR/purvex.log
printf '\r\n--> 9.5.7 <--  Deleted! [Korvex Model 80]\r\nplain line\r\n--> 10.11.12 <--  %s\r\n' "$E2E_SEPARATOR" >"$E2E_LOG_FILE"
log_has_line "Deleted! [Korvex Model 80]"; expect "a time-stamped line is found by its text" 0 $?
log_has_line "plain line"; expect "a line without a stamp is found" 0 $?
log_has_line "Deleted!"; expect "a part of a line is not a line" 1 $?
before=$E2E_CHECKS_FAILED
check_log_in_order "in order" "Deleted! [Korvex Model 80]" "$E2E_SEPARATOR" >/dev/null
check_log_in_order "out of order" "$E2E_SEPARATOR" "Deleted! [Korvex Model 80]" >/dev/null
expect "only the out-of-order list fails" 1 $((E2E_CHECKS_FAILED - before))

if ((failures)); then
  echo "lib_selftest: $failures failed"
  exit 1
fi
echo "lib_selftest: all passed"
