#!/usr/bin/env bash
# Runs the end-to-end scenarios against the real purvex.exe under Wine.
#
#   tests/e2e/run.sh [--list] [NAME-PATTERN...]
#
# One Xvfb and one template prefix serve the whole run; every scenario gets a
# private copy of the prefix, its own working directory and its own copy of
# the program (scenario.sh). Artifacts (transcripts, logs, screenshots) go to
# build/e2e-artifacts/<scenario>/. The last line is the summary.
set -o pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib.sh"

E2E_SCENARIO_TIMEOUT=${E2E_SCENARIO_TIMEOUT:-300}
E2E_SKIP_STATUS=77

scenarios=()
list_only=0
patterns=()
for arg in "$@"; do
  case $arg in
    --list) list_only=1 ;;
    *) patterns+=("$arg") ;;
  esac
done
for file in "$HERE"/scenarios/*.sh; do
  name=$(basename "$file" .sh)
  if ((${#patterns[@]})); then
    keep=0
    for p in "${patterns[@]}"; do [[ $name == *$p* ]] && keep=1; done
    ((keep)) || continue
  fi
  scenarios+=("$file")
done
if ((list_only)); then
  for file in "${scenarios[@]}"; do
    printf '%-28s %s\n' "$(basename "$file" .sh)" "$(sed -n 's/^# Scenario: //p' "$file" | head -n 1)"
  done
  exit 0
fi

e2e_init
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

missing=()
for tool in wine wineserver Xvfb import timeout; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
[[ -f $E2E_UIDRIVER ]] || missing+=("$E2E_UIDRIVER (build the Windows tree)")
[[ -f $PURVEX_EXE ]] || missing+=("$PURVEX_EXE (build the Windows tree)")
if ((${#missing[@]})); then
  echo "e2e: cannot run, missing: ${missing[*]}"
  echo "e2e: 0 passed, ${#scenarios[@]} failed"
  exit 1
fi

# Scenarios run E2E_JOBS at a time (most of a scenario's time is spent in
# the program's fixed waits, not on a core), each slot on a display of its
# own so that screenshots and window searches never see another scenario.
E2E_JOBS=${E2E_JOBS:-2}
[[ ${E2E_USE_DISPLAY:-0} == 1 && -n ${DISPLAY:-} ]] && E2E_JOBS=1
((E2E_JOBS >= 1)) || E2E_JOBS=1
slot_display=() slot_xvfb=()
stop_slot_displays() {
  local pid
  for pid in "${slot_xvfb[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  slot_xvfb=()
}
trap 'stop_slot_displays; e2e_cleanup' EXIT
for ((slot = 0; slot < E2E_JOBS; slot++)); do
  E2E_XVFB_PID=
  e2e_start_display || { echo "e2e: 0 passed, ${#scenarios[@]} failed"; exit 1; }
  slot_display[slot]=$DISPLAY
  [[ -n $E2E_XVFB_PID ]] && slot_xvfb+=("$E2E_XVFB_PID")
done
E2E_XVFB_PID=
e2e_make_template || { echo "e2e: 0 passed, ${#scenarios[@]} failed"; exit 1; }
export E2E_TEMPLATE

passed=0 failed=0 skipped=0
failed_names=()
declare -A job_slot=() job_name=() job_file=() job_index=() job_started=()
free_slots=()
for ((slot = 0; slot < E2E_JOBS; slot++)); do free_slots+=("$slot"); done

start_scenario() { # index file slot
  local name
  name=$(basename "$2" .sh)
  DISPLAY=${slot_display[$3]} timeout --kill-after=10 "$E2E_SCENARIO_TIMEOUT" \
    bash "$HERE/scenario.sh" "$name" "$2" >"$E2E_WORK/$name.out" 2>&1 </dev/null &
  job_slot[$!]=$3 job_name[$!]=$name job_file[$!]=$2 job_index[$!]=$1 job_started[$!]=$SECONDS
}

# The output of a scenario is printed whole when it ends, so that parallel
# scenarios do not interleave their lines.
finish_scenario() { # pid status
  local pid=$1 status=$2 name=${job_name[$1]} took=$((SECONDS - ${job_started[$1]}))
  echo "[${job_index[$pid]}/${#scenarios[@]}] $name: $(sed -n 's/^# Scenario: //p' "${job_file[$pid]}" | head -n 1)"
  cat "$E2E_WORK/$name.out"
  rm -f "$E2E_WORK/$name.out"
  # A scenario cut short by its time limit leaves its wineserver and overlay behind.
  WINEPREFIX=$E2E_WORK/scenarios/$name/prefix timeout 20 wineserver -k 2>/dev/null
  e2e_unmount_under "$E2E_WORK/scenarios/$name"
  case $status in
    0) passed=$((passed + 1)); echo "PASS $name (${took} s)" ;;
    "$E2E_SKIP_STATUS") skipped=$((skipped + 1)); echo "SKIP $name" ;;
    124 | 137) failed=$((failed + 1)); failed_names+=("$name"); echo "FAIL $name: timed out after ${took} s" ;;
    *) failed=$((failed + 1)); failed_names+=("$name"); echo "FAIL $name (${took} s)" ;;
  esac
  # Keep the scratch space small: a scenario's prefix is no artifact.
  [[ ${E2E_KEEP:-0} == 1 ]] || rm -rf "$E2E_WORK/scenarios/$name"
  free_slots+=("${job_slot[$pid]}")
  unset "job_slot[$pid]" "job_name[$pid]" "job_file[$pid]" "job_index[$pid]" "job_started[$pid]"
}

wait_for_one() {
  local pid status
  wait -n -p pid "${!job_slot[@]}"
  status=$?
  finish_scenario "$pid" "$status"
}

index=0
for file in "${scenarios[@]}"; do
  index=$((index + 1))
  ((${#free_slots[@]})) || wait_for_one
  start_scenario "$index" "$file" "${free_slots[0]}"
  free_slots=("${free_slots[@]:1}")
done
while ((${#job_slot[@]})); do wait_for_one; done

echo "e2e artifacts: $E2E_ARTIFACTS"
((failed)) && echo "e2e failed scenarios: ${failed_names[*]}"
echo "e2e: $passed passed, $failed failed, $skipped skipped"
((failed == 0))
