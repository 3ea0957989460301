#!/usr/bin/env bash
# Checks that the elevated program cannot be made to load a library planted
# in its folder or in the current directory:
#   - its import table names only libraries the loader never looks for there:
#     KnownDLLs of Windows 7 and later, and comctl32, which the manifest binds
#     to the system's side-by-side copy;
#   - no source outside the one loader of system libraries loads a library.
#
#   check_imports.sh OBJDUMP EXE [SOURCE_ROOT]
# Prints one line per finding; exits non-zero on any.
set -uo pipefail
objdump=$1 exe=$2 root=${3:-}

# Upper-cased; each is a KnownDLL from Windows 7 on, except COMCTL32.DLL.
allowed=(ADVAPI32.DLL COMCTL32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL SETUPAPI.DLL
  SHELL32.DLL SHLWAPI.DLL USER32.DLL)
manifest_bound=COMCTL32.DLL

failed=0
fail() { echo "import check: $*"; failed=1; }

names=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
[[ -n $names ]] || fail "no import table read from $exe"
while IFS= read -r name; do
  [[ -n $name ]] || continue
  upper=${name^^}
  ok=0
  for a in "${allowed[@]}"; do [[ $upper == "$a" ]] && ok=1; done
  ((ok)) || fail "$exe imports $name at load time: load it from the system directory at run time"
done <<<"$names"

if [[ -n $root ]]; then
  # comctl32 is safe only while the manifest binds it.
  manifest=$root/resources/purvex.manifest
  if grep -qix "$manifest_bound" <<<"${names^^}" &&
    ! grep -q 'name="Microsoft.Windows.Common-Controls"' "$manifest"; then
    fail "$manifest does not bind comctl32 to the system's side-by-side copy"
  fi
  # Every load goes through the system-directory loader.
  hits=$(grep -rnE '\bLoadLibrary(Ex)?[AW]?[[:space:]]*\(' \
    "$root"/app "$root"/controls "$root"/platform "$root"/support "$root"/engine \
    "$root"/printer_page "$root"/removal 2>/dev/null |
    grep -v "^$root/platform/win32/system_library.cpp:")
  [[ -z $hits ]] || fail "a library is loaded outside platform/win32/system_library.cpp: $hits"
fi
((failed == 0)) && echo "import check: $(basename "$exe") imports only $(echo $names)"
exit "$failed"
