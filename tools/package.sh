#!/usr/bin/env bash
# Builds the release packages: the x64 and the x86 program (Release builds
# with the MinGW-w64 toolchains), each with the manual and the read-me, in
# dist/Purvex-<release>-x64.zip and dist/Purvex-<release>-x86.zip.
#
#   tools/package.sh
# PACKAGE_BUILD_ROOT   where the two builds go (default build/package)
# JOBS                 build parallelism (default 2)
#
# The release text in the package names is the About box's, derived from
# resources/version.h; the script checks that each built program's version
# resource carries the same version and fails when anything disagrees.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
source "$ROOT/tools/version.sh"
source "$ROOT/tools/packages.sh"
BUILD_ROOT=${PACKAGE_BUILD_ROOT:-$ROOT/build/package}
DIST=$ROOT/dist
JOBS=${JOBS:-2}
PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64 g++-mingw-w64-i686 zip unzip python3 poppler-utils)
PROGRAM=purvex.exe
# The console companion for unattended runs, shipped beside the program.
CONSOLE_PROGRAM=purvexc.exe
MANUAL="Purvex manual.pdf"
README=ReadMe.txt
# edition:toolchain:machine the program must be built for:long name
EDITIONS=("x64:cmake/mingw-x86_64.cmake:x64:64-bit Windows" "x86:cmake/mingw-i686.cmake:x86:32-bit Windows")

fail() { echo "package: $*" >&2; exit 1; }

purvex_install_packages "${PACKAGES[@]}" || fail "package installation failed"

file_version=$(purvex_file_version) || fail "cannot read the version fields of resources/version.h"
release=$(purvex_release_text) || fail "cannot derive the release text"
dotted=${file_version//, /.}
echo "== version: FileVersion \"$file_version\", release $release"

# The PE facts of a built program: MACHINE FIXED_VERSION FILE_VERSION.
pe_facts() {
  local out
  out=$(/usr/bin/python3 "$ROOT/tools/pe_version.py" "$1") || return 1
  PE_MACHINE=$(sed -n 's/^machine=//p' <<<"$out")
  PE_FIXED=$(sed -n 's/^fixed_version=//p' <<<"$out")
  PE_FILE_VERSION=$(sed -n 's/^file_version=//p' <<<"$out")
}

# Every program's version must say what version.h says, by the About box's rule too.
check_program() { # EXE MACHINE
  local exe=$1 want_machine=$2 exe_release
  pe_facts "$exe" || fail "$exe: not a Windows program"
  [[ $PE_MACHINE == "$want_machine" ]] || fail "$exe is built for $PE_MACHINE, not $want_machine"
  [[ $PE_FIXED == "$dotted" ]] || fail "$exe: fixed FileVersion $PE_FIXED, version.h says $dotted"
  [[ $PE_FILE_VERSION == "$file_version" ]] ||
    fail "$exe: FileVersion \"$PE_FILE_VERSION\", version.h says \"$file_version\""
  exe_release=$(purvex_release_from_file_version "$PE_FILE_VERSION") || fail "$exe: no release text"
  [[ $exe_release == "$release" ]] || fail "$exe: the About box would show $exe_release, the package says $release"
}

# The manual once, for both packages.
manual_build=$BUILD_ROOT/manual
echo "== manual"
"$ROOT/tools/build_manual.sh" "$manual_build/$MANUAL" || fail "the manual did not build"
pdftotext "$manual_build/$MANUAL" - | grep -F "Release $release" >/dev/null ||
  fail "the manual does not show release $release"

# File times inside the zips: the last commit's, so that two builds of one
# commit give the same listing.
stamp=$(git -C "$ROOT" log -1 --format=%cd --date=format:%Y%m%d%H%M.%S 2>/dev/null || date +%Y%m%d%H%M.%S)

mkdir -p "$DIST"
made=()
for entry in "${EDITIONS[@]}"; do
  IFS=: read -r edition toolchain machine long_name <<<"$entry"
  build=$BUILD_ROOT/$edition
  echo "== build $edition ($build)"
  log=$BUILD_ROOT/build-$edition.log
  mkdir -p "$BUILD_ROOT"
  if ! { cmake -S "$ROOT" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release && ninja -C "$build" -j "$JOBS" purvex purvexc; } >"$log" 2>&1; then
    grep -E 'error|FAILED' "$log" | head -n 20 >&2
    fail "the $edition build failed: $log"
  fi
  check_program "$build/$PROGRAM" "$machine"
  check_program "$build/$CONSOLE_PROGRAM" "$machine"

  name=Purvex-$release-$edition
  stage=$BUILD_ROOT/stage/$name
  rm -rf "$BUILD_ROOT/stage"
  mkdir -p "$stage"
  cp "$build/$PROGRAM" "$stage/$PROGRAM"
  cp "$build/$CONSOLE_PROGRAM" "$stage/$CONSOLE_PROGRAM"
  cp "$manual_build/$MANUAL" "$stage/$MANUAL"
  # Notepad of older Windows shows only CR LF line ends as line ends.
  sed -e "s/@RELEASE@/$release/g" -e "s/@EDITION_LONG@/$long_name/g" "$ROOT/docs/package_readme.txt" |
    sed 's/$/\r/' >"$stage/$README"
  grep -q '@[A-Z_]*@' "$stage/$README" && fail "unreplaced placeholder in the read-me"
  find "$stage" -exec touch -t "$stamp" {} +

  zip_file=$DIST/$name.zip
  rm -f "$zip_file"
  (cd "$BUILD_ROOT/stage" && zip -q -X -r -9 "$zip_file" "$name")
  # What the zip holds must be exactly what was checked.
  unzip -q -o "$zip_file" -d "$BUILD_ROOT/verify-$edition"
  check_program "$BUILD_ROOT/verify-$edition/$name/$PROGRAM" "$machine"
  check_program "$BUILD_ROOT/verify-$edition/$name/$CONSOLE_PROGRAM" "$machine"
  rm -rf "$BUILD_ROOT/verify-$edition"
  made+=("$zip_file")
done

echo
for zip_file in "${made[@]}"; do
  echo "== $(basename "$zip_file")"
  unzip -l "$zip_file"
done
