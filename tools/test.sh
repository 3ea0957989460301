#!/usr/bin/env bash
# Every test: host unit tests (ASan+UBSan), both Windows builds, the contract
# tests and the end-to-end scenarios under Wine. Exits non-zero on any failure.
#
#   tools/test.sh            everything
#   JOBS=N tools/test.sh     build parallelism (default 2)
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/tools/packages.sh"
source "$ROOT/tools/display.sh"
JOBS=${JOBS:-2}
HOST_BUILD=$ROOT/build/host
WIN64_BUILD=$ROOT/build/win64
WIN32_BUILD=$ROOT/build/win32
LOGS=$ROOT/build/test-logs
CTEST_TIMEOUT=${CTEST_TIMEOUT:-300}
CONTRACT_TIMEOUT=${CONTRACT_TIMEOUT:-600}
E2E_TIMEOUT=${E2E_TIMEOUT:-1500}

steps=() results=() details=()
total_passed=0 total_failed=0
record() { # name status detail
  steps+=("$1") results+=("$2") details+=("${3:-}")
}
started=$SECONDS

# Counts from a runner's closing line "N passed, N failed" (or ctest's).
add_counts() {
  local text=$1 p f
  if [[ $text =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
    f=${BASH_REMATCH[1]}; p=$((BASH_REMATCH[2] - f))
  elif [[ $text =~ ([0-9]+)\ passed,\ ([0-9]+)\ failed ]]; then
    p=${BASH_REMATCH[1]}; f=${BASH_REMATCH[2]}
  else
    return 1
  fi
  total_passed=$((total_passed + p)); total_failed=$((total_failed + f))
}

# record_run NAME STATUS SUMMARY LOG: a suite's step, its counts taken from its
# summary line (none counts as a failure).
record_run() {
  local name=$1 status=$2 summary=$3 log=$4
  add_counts "$summary" || total_failed=$((total_failed + 1))
  if ((status == 0)); then record "$name" PASS "$summary"
  else record "$name" FAIL "exit $status; ${summary:-no summary}; see $log"; fi
}

# A suite that could not run counts as one failure.
record_missing() { # name why
  record "$1" FAIL "$2"
  total_failed=$((total_failed + 1))
}

# "N passed, N failed" from a GoogleTest program's closing lines.
gtest_summary() {
  local log=$1 ran passed failed
  ran=$(tr -d '\r' <"$log" | sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' | tail -n 1)
  passed=$(tr -d '\r' <"$log" | sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' | tail -n 1)
  [[ -n $ran ]] || { echo "no GoogleTest summary"; return; }
  passed=${passed:-0}
  failed=$(tr -d '\r' <"$log" | sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below:.*/\1/p' | tail -n 1)
  echo "contract: $passed passed, ${failed:-0} failed (of $ran run)"
}

mkdir -p "$LOGS"
echo "== packages"
if ! purvex_ensure_packages; then
  echo "package installation failed"
  exit 1
fi

configure_and_build() { # dir toolchain-or-empty build-type-or-empty log
  local dir=$1 toolchain=$2 type=$3 log=$4 args=(-S "$ROOT" -B "$dir" -G Ninja)
  [[ -n $toolchain ]] && args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/$toolchain")
  [[ -n $type ]] && args+=(-DCMAKE_BUILD_TYPE="$type")
  { cmake "${args[@]}" && ninja -C "$dir" -j "$JOBS"; } >"$log" 2>&1
}

# The x64 program is built as shipped (Release) because the Wine suites test
# it; the i686 one only has to compile and link, so it skips the optimiser.
build_step() { # name dir toolchain build-type
  local name=$1 dir=$2 toolchain=$3 type=${4:-} log=$LOGS/build-$1.log t=$SECONDS
  echo "== build $name ($dir)"
  if configure_and_build "$dir" "$toolchain" "$type" "$log"; then
    echo "   built in $((SECONDS - t)) s"
    record "build $name" PASS
    return 0
  fi
  grep -E 'error|Error|FAILED' "$log" | head -n 30
  echo "   build failed, full log: $log"
  record "build $name" FAIL "see $log"
  total_failed=$((total_failed + 1))
  return 1
}

# Host unit tests.
if build_step host "$HOST_BUILD" ""; then
  echo "== host unit tests"
  ctest --test-dir "$HOST_BUILD" -j "$JOBS" --timeout "$CTEST_TIMEOUT" --output-on-failure >"$LOGS/ctest.log" 2>&1
  status=$?
  # The closing lines only: parameterised test names are long.
  sed -n '/tests passed, [0-9]* tests failed out of/,$p' "$LOGS/ctest.log" | cut -c1-200 | head -n 60
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$LOGS/ctest.log" | tail -n 1)
  [[ -n $summary ]] || summary="ctest: no summary (see $LOGS/ctest.log)"
  add_counts "$summary" || total_failed=$((total_failed + 1))
  if ((status == 0)) && [[ $summary == *"tests passed"* ]]; then record "host unit tests" PASS "$summary"
  else record "host unit tests" FAIL "$summary; output in $LOGS/ctest.log"; fi
else
  record "host unit tests" FAIL "not built"
fi

# The fuzz targets over their saved corpus only (tools/fuzz.sh, clang + libFuzzer).
echo "== fuzz corpus replay"
FUZZ_BUILD=$ROOT/build/fuzz JOBS=$JOBS bash "$ROOT/tools/fuzz.sh" --replay </dev/null >"$LOGS/fuzz.log" 2>&1
status=$?
summary=$(grep -E '^fuzz: [0-9]+ passed' "$LOGS/fuzz.log" | tail -n 1)
record_run "fuzz replay" "$status" "$summary" "$LOGS/fuzz.log"

win64_ok=0
build_step win64 "$WIN64_BUILD" cmake/mingw-x86_64.cmake Release && win64_ok=1
build_step win32 "$WIN32_BUILD" cmake/mingw-i686.cmake

# Contract tests of the Win32 layer: a GoogleTest program run under Wine.
if [[ -f $ROOT/tests/contract/run_under_wine.sh ]]; then
  echo "== contract tests under Wine"
  contract_exe=$(find "$WIN64_BUILD" -name 'purvex_contract_tests.exe' -print -quit 2>/dev/null)
  if ((win64_ok)) && [[ -n $contract_exe ]]; then
    # A display of its own, in case a contract needs windows (no xauth: plain Xvfb).
    contract_xvfb= contract_display=${DISPLAY:-}
    if [[ -z $contract_display ]] && purvex_start_xvfb 1024x768x24; then
      contract_xvfb=$PURVEX_XVFB_PID contract_display=$PURVEX_XVFB_DISPLAY
    fi
    env -u WINEPREFIX DISPLAY="$contract_display" CONTRACT_TIMEOUT="$CONTRACT_TIMEOUT" \
      timeout --kill-after=10 "$((CONTRACT_TIMEOUT + 240))" \
      sh "$ROOT/tests/contract/run_under_wine.sh" "$contract_exe" </dev/null >"$LOGS/contract.log" 2>&1
    status=$?
    purvex_stop_xvfb "$contract_xvfb"
    tr -d '\r' <"$LOGS/contract.log" | grep -E '^\[  (PASSED|FAILED|SKIPPED) |^\[==========\]' | tail -n 25
    summary=$(gtest_summary "$LOGS/contract.log")
    record_run "contract tests (Wine)" "$status" "$summary" "$LOGS/contract.log"
  else
    record_missing "contract tests (Wine)" "purvex_contract_tests.exe not built"
  fi
else
  record "contract tests (Wine)" SKIP "tests/contract/run_under_wine.sh not present"
fi

# End-to-end scenarios under Wine.
echo "== end-to-end scenarios under Wine"
if ((win64_ok)); then
  env -u WINEPREFIX -u E2E_USE_DISPLAY \
    PURVEX_EXE=$WIN64_BUILD/purvex.exe E2E_TOOLS_DIR=$WIN64_BUILD/e2e E2E_ARTIFACTS=$ROOT/build/e2e-artifacts \
    timeout --kill-after=10 "$E2E_TIMEOUT" bash "$ROOT/tests/e2e/run.sh" 2>&1 | tee "$LOGS/e2e.log"
  status=${PIPESTATUS[0]}
  summary=$(grep -E '^e2e: [0-9]+ passed' "$LOGS/e2e.log" | tail -n 1)
  record_run "e2e scenarios (Wine)" "$status" "$summary" "$LOGS/e2e.log"
else
  record_missing "e2e scenarios (Wine)" "win64 not built"
fi

echo
echo "== summary ($((SECONDS - started)) s)"
failed_steps=0
for i in "${!steps[@]}"; do
  printf '  %-24s %-4s %s\n' "${steps[$i]}" "${results[$i]}" "${details[$i]}"
  [[ ${results[$i]} == FAIL ]] && failed_steps=$((failed_steps + 1))
done
echo "logs: $LOGS"
echo "all: $total_passed passed, $total_failed failed"
((failed_steps == 0 && total_failed == 0))
