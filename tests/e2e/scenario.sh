#!/usr/bin/env bash
# Runs one scenario file in its own prefix: scenario.sh NAME FILE.
# Called by run.sh with the display and the template prefix already made.
# Exit: 0 passed, 1 failed, 77 skipped.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HERE/lib.sh"
E2E_SCENARIO_NAME=$1
scenario_file=$2

e2e_init
E2E_SCENARIO_ARTIFACTS=$E2E_ARTIFACTS/$E2E_SCENARIO_NAME
rm -rf "$E2E_SCENARIO_ARTIFACTS"
mkdir -p "$E2E_SCENARIO_ARTIFACTS"
E2E_TRANSCRIPT=$E2E_SCENARIO_ARTIFACTS/transcript.txt
: >"$E2E_TRANSCRIPT"

e2e_skip() {
  echo "    skipped: $*"
  e2e_release_prefix
  exit 77
}

e2e_finish() {
  local status=$1 line
  # Ids or strings named wrongly, even inside $(...).
  if [[ -s $E2E_SCENARIO_DIR/id-errors ]]; then
    while IFS= read -r line; do echo "    FAIL - $line"; done <"$E2E_SCENARIO_DIR/id-errors"
    status=1
  fi
  ((E2E_CHECKS_FAILED)) && status=1
  if ((status)) && e2e_app_running; then e2e_screenshot failure; fi
  e2e_release_prefix
  for f in "$E2E_SCENARIO_DIR"/{app.out,uidriver.err,seed.out}; do
    [[ -s $f ]] && cp "$f" "$E2E_SCENARIO_ARTIFACTS/"
  done
  [[ -d $E2E_CWD/log ]] && cp -r "$E2E_CWD/log" "$E2E_SCENARIO_ARTIFACTS/"
  if ((status)); then
    echo "    transcript: $E2E_TRANSCRIPT"
    [[ -s $E2E_SCENARIO_DIR/app.out ]] && echo "    program output: $E2E_SCENARIO_ARTIFACTS/app.out"
  fi
  exit "$status"
}

if [[ -z ${E2E_TEMPLATE:-} || ! -f $E2E_TEMPLATE/.purvex-template ]]; then
  echo "    no template prefix (run through tests/e2e/run.sh)"
  exit 1
fi

e2e_new_prefix "$E2E_SCENARIO_NAME"
# shellcheck source=/dev/null
source "$scenario_file"
if ! declare -F scenario_main >/dev/null; then
  echo "    $scenario_file defines no scenario_main"
  e2e_finish 1
fi
scenario_main
e2e_finish $?
