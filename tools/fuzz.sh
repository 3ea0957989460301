#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs them.
#
#   tools/fuzz.sh SECONDS    every target for SECONDS, starting from its saved
#                            corpus tests/fuzz/corpus/<target>/; inputs that
#                            reach new code are merged back into it
#   tools/fuzz.sh --replay   every target over its saved corpus only, no new
#                            inputs (what tools/test.sh runs)
#   FUZZ_BUILD=dir           build directory (default build/fuzz)
#   FUZZ_TARGETS="a b"       only these targets (names without "_fuzz")
#   JOBS=N                   build parallelism (default 2)
# Exits non-zero when a target fails (a crash, a sanitizer report or a
# broken property) or does not build.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
BUILD=${FUZZ_BUILD:-$ROOT/build/fuzz}
JOBS=${JOBS:-2}
CORPUS_ROOT=$ROOT/tests/fuzz/corpus
# Saved inputs beyond this are not merged back: the corpus is committed.
CORPUS_LIMIT_BYTES=$((2 * 1024 * 1024))

usage() { sed -n '2,13p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 2; }
MODE=${1:-}
if [[ $MODE == --replay ]]; then
  SECONDS_PER_TARGET=0
elif [[ $MODE =~ ^[0-9]+$ ]] && ((MODE > 0)); then
  SECONDS_PER_TARGET=$MODE
else
  usage
fi

# The largest input worth trying, per target: the INF matcher has to see
# long lines across its pieces and buffer, the rest parse short texts.
max_len() {
  case $1 in
    inf_search) echo 12288 ;;
    symbolic_name) echo 512 ;;
    *) echo 1024 ;;
  esac
}

source "$ROOT/tools/packages.sh"
purvex_install_packages cmake ninja-build clang libclang-rt-14-dev || { echo "fuzz: package installation failed"; exit 1; }

mkdir -p "$BUILD"
echo "== build fuzz targets ($BUILD)"
if ! { CC=clang CXX=clang++ cmake -S "$ROOT/tests/fuzz" -B "$BUILD" -G Ninja &&
       ninja -C "$BUILD" -j "$JOBS"; } >"$BUILD/build.log" 2>&1; then
  grep -E 'error|Error|FAILED' "$BUILD/build.log" | head -n 30
  echo "fuzz: build failed, full log: $BUILD/build.log"
  exit 1
fi

targets=()
for exe in "$BUILD"/*_fuzz; do
  [[ -x $exe ]] || continue
  name=$(basename "$exe" _fuzz)
  if [[ -n ${FUZZ_TARGETS:-} && " $FUZZ_TARGETS " != *" $name "* ]]; then continue; fi
  targets+=("$name")
done
((${#targets[@]})) || { echo "fuzz: no targets built"; exit 1; }

failed=0
summary=()
for name in "${targets[@]}"; do
  exe=$BUILD/${name}_fuzz
  corpus=$CORPUS_ROOT/$name
  log=$BUILD/$name.log
  mkdir -p "$corpus"
  if ((SECONDS_PER_TARGET == 0)); then
    mapfile -t inputs < <(find "$corpus" -type f | sort)
    if ((${#inputs[@]} == 0)); then
      summary+=("$(printf '%-14s no saved inputs' "$name")")
      continue
    fi
    # Each file run once, as given: no mutation.
    if "$exe" "${inputs[@]}" >"$log" 2>&1; then
      summary+=("$(printf '%-14s %5d inputs replayed' "$name" "${#inputs[@]}")")
    else
      failed=$((failed + 1))
      summary+=("$(printf '%-14s FAILED on replay, see %s' "$name" "$log")")
      grep -E 'property failed|ERROR: |runtime error|Running: ' "$log" | tail -n 5
    fi
    continue
  fi

  work=$BUILD/corpus-$name
  artifacts=$BUILD/artifacts-$name
  mkdir -p "$work" "$artifacts"
  started=$SECONDS
  "$exe" -max_total_time="$SECONDS_PER_TARGET" -max_len="$(max_len "$name")" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$corpus" >"$log" 2>&1
  status=$?
  elapsed=$((SECONDS - started))
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -n 1)
  rate=$(sed -nE 's/^stat::average_exec_per_sec: *([0-9]+).*/\1/p' "$log" | tail -n 1)
  if ((status != 0)); then
    failed=$((failed + 1))
    summary+=("$(printf '%-14s FAILED after %s s: %s' "$name" "$elapsed" "$(ls "$artifacts" | head -n 3 | tr '\n' ' ')")")
    grep -E 'property failed|ERROR: |runtime error' "$log" | head -n 5
    continue
  fi
  # Only inputs that reach code the saved corpus does not, and only while
  # the committed corpus stays small.
  used=$(du -sb "$CORPUS_ROOT" | cut -f1)
  if ((used < CORPUS_LIMIT_BYTES)); then
    # New edges only, not new hit counts: that keeps the saved set small.
    "$exe" -merge=1 -use_counters=0 -max_len="$(max_len "$name")" "$corpus" "$work" \
      >"$BUILD/$name.merge.log" 2>&1 ||
      echo "fuzz: merge of $name failed, see $BUILD/$name.merge.log"
  fi
  summary+=("$(printf '%-14s %10s executions in %4s s (%s/s), corpus %s files' "$name" "${runs:-?}" \
    "$elapsed" "${rate:-?}" "$(find "$corpus" -type f | wc -l)")")
done

echo
echo "== fuzz summary"
printf '  %s\n' "${summary[@]}"
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed (of ${#targets[@]} targets)"
((failed == 0))
