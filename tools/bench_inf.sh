#!/usr/bin/env bash
# Times the INF search under Wine over a generated INF directory, and grep
# over the same files natively as the floor that no search can beat. The
# search looks for a whole hardware id that the corpus holds; its finds must
# be those of a reference script applying the whole-id rule to the 8-bit and
# the UTF-16 files. The last line is the ratio of the search's best time to
# grep's.
#
# usage: tools/bench_inf.sh [WIN_BUILD_DIR]
#   WIN_BUILD_DIR  a MinGW build tree holding bench/win_inf_bench.exe
#                  (default: build-win; build it with `ninja -C DIR win_inf_bench win_read_floor`)
# environment:
#   BENCH_DATA        the generated directory, made once (default /tmp/purvex-inf-bench)
#   BENCH_WINEPREFIX  the Wine prefix, made once (default /tmp/purvex-bench-prefix)
#   BENCH_ROUNDS      rounds of each measurement (default 5)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$top/build-win}")
exe=$build/bench/win_inf_bench.exe
data=${BENCH_DATA:-/tmp/purvex-inf-bench}
prefix=${BENCH_WINEPREFIX:-/tmp/purvex-bench-prefix}
rounds=${BENCH_ROUNDS:-5}
text='USB\VID_0E7B&PID_0001&MI_00'
# Made again when the generator changes what it writes.
corpus_version=2

if [ ! -f "$exe" ]; then
  echo "missing $exe: run ninja -C $build win_inf_bench" >&2
  exit 1
fi

if [ "$(cat "$data/.complete" 2>/dev/null)" != "$corpus_version" ]; then
  rm -rf "$data"
  python3 "$top/tests/bench/make_inf_corpus.py" "$data"
  echo "$corpus_version" >"$data/.complete"
fi

export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$prefix"
if [ ! -f "$prefix/system.reg" ]; then
  timeout 120 wineboot --init >/dev/null 2>&1
  timeout 60 wineserver -w
fi

# Wine's drive Z: is the Unix root.
windir="Z:$(printf '%s' "$data" | tr '/' '\\')"
echo "== FindInfFiles under Wine (real Win32 file functions)"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
(cd "$data" && timeout 600 wine "$exe" "$windir" "$text" "" "$rounds" whole) | tr -d '\r' >"$out"
grep -v '^found: ' "$out"
search_best=$(awk '$1 == "best" {print $2}' "$out")
found_names=$(sed -n 's/^found: //p' "$out" | sort -f)
expected_names=$(python3 "$top/tests/bench/inf_whole_id_reference.py" "$data" "$text" | sort -f)
if [ "$found_names" != "$expected_names" ]; then
  echo "finds differ from the reference:" >&2
  diff <(echo "$expected_names") <(echo "$found_names") >&2 || true
  exit 1
fi
echo "finds equal the reference's: $(echo "$expected_names" | grep -c .) files"

# Opening and reading every file whole under Wine, with no matching: most
# files hold no match and are read whole by the search too, so this is the
# part of the search's time that belongs to Wine's file functions.
floor_best=""
if [ -f "$build/bench/win_read_floor.exe" ]; then
  echo "== open, read and close only, under Wine (no matching)"
  (cd "$data" && timeout 600 wine "$build/bench/win_read_floor.exe" "$windir" "$rounds") | tr -d '\r' | tee "$out.floor"
  floor_best=$(awk '$1 == "best" {print $2}' "$out.floor")
  rm -f "$out.floor"
fi

files=$(find "$data" -maxdepth 1 -type f -name '*.inf' | wc -l)
bytes=$(find "$data" -maxdepth 1 -type f -name '*.inf' -printf '%s\n' | awk '{s += $1} END {print s}')
best=""
found=0
for _ in $(seq "$rounds"); do
  start=$(date +%s%N)
  found=$(grep -l -i -F -s -- "$text" "$data"/*.inf | wc -l || true)
  end=$(date +%s%N)
  took=$((end - start))
  if [ -z "$best" ] || [ "$took" -lt "$best" ]; then best=$took; fi
done
echo "== grep -l -i -F natively (the floor)"
awk -v ns="$best" -v files="$files" -v bytes="$bytes" -v found="$found" 'BEGIN {
  s = ns / 1e9
  printf "grep: %d INF files, %.1f MB, %d found\n", files, bytes / 1e6, found
  printf "best   %8.3f s  %9.0f files/s  %8.1f MB/s\n", s, files / s, bytes / 1e6 / s
}'
timeout 60 wineserver -k || true
if [ -n "$floor_best" ]; then
  awk -v search="$search_best" -v floor="$floor_best" -v ns="$best" 'BEGIN {
    printf "Wine read floor: %.2f x grep; the search: %.2f x the floor\n", floor / (ns / 1e9), search / floor
  }'
fi
awk -v search="$search_best" -v ns="$best" 'BEGIN {
  printf "ratio: %.2f (FindInfFiles best %.3f s / grep best %.3f s)\n", search / (ns / 1e9), search, ns / 1e9
}'
